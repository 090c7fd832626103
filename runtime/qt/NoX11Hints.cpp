// Where the backend is built without xcb, the windows get no X11 hints: on Wayland and the
// offscreen platform there is nothing to do, and on X11 Qt's own hints stand.
#include "runtime/qt/Objects.h"

namespace runtime::qt {

void prepareMap(QWidget& /*window*/) {}
void takeFocus(QWidget& /*window*/) {}

}  // namespace runtime::qt
