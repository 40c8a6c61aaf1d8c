#include "dialogs/wizard_serve.h"

namespace dialogs {

int WizardServer::ServeRequests(devlink::UsbLink* link) {
    // The exchanges are not served yet.
    (void)link;
    return 0;
}

}  // namespace dialogs
