// Message boxes (QMessageBox) and the log on standard error.
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>

#include "runtime/qt/Objects.h"

namespace runtime::qt {
namespace {

// Message texts use CR LF between lines, as on Windows.
QString messageText(std::string_view utf8) {
    QString text = toQString(utf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace

void QtBackend::messageBox(std::string_view text, std::string_view title, MessageIcon icon) {
    showBox(text, title, icon, false);
}

void QtBackend::fatalErrorBox(std::string_view text, std::string_view title) {
    showBox(text, title, MessageIcon::Critical, true);
}

void QtBackend::showBox(std::string_view text, std::string_view title, MessageIcon icon,
                        bool fatal) {
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    toQString(title), messageText(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::Ok);
    if (onMessageBox) {
        QTimer::singleShot(0, &box, [this, &box] { onMessageBox(box); });
    }
    if (!fatal) {
        box.exec();
        return;
    }
    // The program ends after this box whatever happens, so a signal closes it at any time, also
    // before the event loop ever ran (a policy missing at start): the signal pipe is watched
    // while the box is up, and a signal that came before closes it at once.
    fatalBox_ = &box;
    bool watched = signalNotifier_->isEnabled();
    signalNotifier_->setEnabled(true);
    box.exec();
    signalNotifier_->setEnabled(watched);
    fatalBox_ = nullptr;
}

void QtBackend::log(std::string_view line) {
    // Standard error reaches the session's journal when the desktop started us.
    std::string entry = "porvane: " + std::string(line) + "\n";
    std::fwrite(entry.data(), 1, entry.size(), stderr);
    std::fflush(stderr);
}

}  // namespace runtime::qt
