#include "closing/frmTimeLeft.h"

void frmTimeLeft::ShowTimeLeft(std::string_view text) {
    if (lblTimeLeft.Caption() != text) {
        lblTimeLeft.setCaption(text);
    }
}
