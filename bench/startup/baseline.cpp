// The least a Qt program must do to show what the gate shows: a fixed-size tool window with a
// read-only text view holding the policy and two push buttons. It sets the bar that the start-up
// time and the memory of the real program are measured against (tools/measure-startup).
//
//   bench_startup_baseline [--icon-files DIR | --icon-pixmaps DIR] TITLE DOCUMENT [WIDTH HEIGHT]
//
// DOCUMENT is shown as HTML when it ends in .html, otherwise as plain text. With an icon option
// the window carries the traffic light from DIR/porvane-N.png: --icon-files hands QIcon the file
// names (Qt then works out their format itself), --icon-pixmaps decodes them as PNG first; so the
// cost of the program's icon can be told apart from the rest.

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

void setIcon(const QString& option, const QString& dir) {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QString path = dir + QStringLiteral("/porvane-%1.png").arg(size);
        if (option == QLatin1String("--icon-files")) {
            icon.addFile(path, QSize(size, size));
        } else {
            icon.addPixmap(QPixmap(path, "PNG"));
        }
    }
    QApplication::setWindowIcon(icon);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int first = 1;  // TITLE
    if (argc > 2 && argv[1][0] == '-') {
        setIcon(QString::fromLatin1(argv[1]), QString::fromLocal8Bit(argv[2]));
        first = 3;
    }
    int rest = argc - first;
    if (rest != 2 && rest != 4) {
        std::fprintf(stderr,
                     "usage: bench_startup_baseline [--icon-files DIR | --icon-pixmaps DIR] "
                     "TITLE DOCUMENT [WIDTH HEIGHT]\n");
        return 2;
    }
    QString path = QString::fromLocal8Bit(argv[first + 1]);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_startup_baseline: cannot read %s\n", argv[first + 1]);
        return 1;
    }
    QString text = QString::fromUtf8(file.readAll());

    // The gate's designed client area, 4695 x 4785 twips, at 96 dpi.
    int width = rest == 4 ? std::atoi(argv[first + 2]) : 313;
    int height = rest == 4 ? std::atoi(argv[first + 3]) : 319;

    QWidget window(nullptr, Qt::Tool | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    window.setWindowTitle(QString::fromLocal8Bit(argv[first]));
    window.setFixedSize(width, height);

    QTextEdit view(&window);
    view.setReadOnly(true);
    if (path.endsWith(QLatin1String(".html"))) {
        view.setHtml(text);
    } else {
        view.setPlainText(text);
    }
    view.setGeometry(0, 0, width, height - 53);
    QPushButton disagree(QStringLiteral("Disagree"), &window);
    disagree.setGeometry(8, height - 53 + 15, 81, 25);
    QPushButton agree(QStringLiteral("Agree"), &window);
    agree.setGeometry(width - 81 - 15, height - 53 + 15, 81, 25);
    QObject::connect(&agree, &QPushButton::clicked, &app, &QApplication::quit);
    QObject::connect(&disagree, &QPushButton::clicked, &app, &QApplication::quit);

    QRect screen = window.screen()->availableGeometry();
    window.move(screen.center() - QPoint(width / 2, height / 2));
    window.show();
    agree.setFocus();
    return app.exec();
}
