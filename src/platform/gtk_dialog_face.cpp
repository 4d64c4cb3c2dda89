// The GTK face of a dialog: not built in this configuration.
#include "platform/dialog_face.h"

namespace plat {

std::unique_ptr<DialogFace> MakeGtkDialogFace(std::string* error) {
    if (error) *error = "no dialog window system";
    return nullptr;
}

}  // namespace plat
