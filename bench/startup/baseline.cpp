// The least a Qt program must do to show what the gate shows: a fixed-size tool window with a
// read-only text view holding the policy and two push buttons. It sets the bar that the start-up
// time and the memory of the real program are measured against (tools/measure-startup).
//
//   bench_startup_baseline TITLE DOCUMENT [WIDTH HEIGHT]
//
// DOCUMENT is shown as HTML when it ends in .html, otherwise as plain text.

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: %s TITLE DOCUMENT [WIDTH HEIGHT]\n", argv[0]);
        return 2;
    }
    QString path = QString::fromLocal8Bit(argv[2]);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[2]);
        return 1;
    }
    QString text = QString::fromUtf8(file.readAll());

    // The gate's designed client area, 4695 x 4785 twips, at 96 dpi.
    int width = argc == 5 ? std::atoi(argv[3]) : 313;
    int height = argc == 5 ? std::atoi(argv[4]) : 319;

    QWidget window(nullptr, Qt::Tool | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    window.setWindowTitle(QString::fromLocal8Bit(argv[1]));
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
