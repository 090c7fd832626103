// Feeds arbitrary bytes through the whole path of the Linux view: the RTF reader, the model
// drawn into a QTextDocument, and its layout (offscreen Qt). Tables at the ends of the number
// range, huge list numbers and long markers must neither crash nor overflow.
#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "rtf/Reader.h"
#include "runtime/qt/RtfToQt.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's warnings about odd fonts and formats would drown the fuzzer's own output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "fuzz_rtf_qt";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    QTextDocument document;
    runtime::qt::fillDocument(document, rtf::parse(bytes), 15.0);
    document.setTextWidth(600);
    (void)document.size();  // lays the document out
    return 0;
}
