#include "app/quillbox_app.h"

#include <utility>

#include "app/acceptance_flag.h"
#include "app/system_language.h"

namespace {

constexpr int IDOK = 1;

}  // namespace

CVDMR30QuillboxApp::CVDMR30QuillboxApp(QString applicationName, Dialogs dialogs)
    : applicationName(std::move(applicationName)), dialogs(std::move(dialogs)) {}

bool CVDMR30QuillboxApp::InitInstance() {
    systemLanguage = SystemLanguageId();
    const AcceptanceFlag flag(applicationName);
    uint32_t accepted = flag.Read();
    if (accepted == 0 && dialogs.runAgreement(systemLanguage) == IDOK) {
        flag.WriteAccepted();
        accepted = 1;
    }
    if (accepted != 1) {
        return false;
    }
    dialogs.runMain();
    return false;
}
