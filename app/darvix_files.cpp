// The file commands of the application object: setup and preset files, copying a preset, and the
// choice of a firmware image. The work is the model's file container; here are the dialogs, the
// messages and what follows a load.
#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string>

#include "app/ask.h"
#include "app/darvix.h"
#include "app/firmware_image.h"
#include "app/system_dialogs.h"
#include "dialogs/eq_dynamic_dlg.h"
#include "dialogs/wizard_dlg.h"
#include "dialogs/software_update_dlg.h"
#include "model/setup_file.h"
#include "pages/dsp_setting.h"
#include "pages/ext_source.h"
#include "pages/output_level.h"
#include "pages/tab_bar.h"
#include "res/resource.h"
#include "ui/messages.h"
#include "ui/msg_box.h"

namespace app {

std::string Darvix::ChooseFile(HWND owner, bool save, const char* display, const char* pattern,
                               const char* ext) {
    char name[260] = {};
    // The filter is the display text and the pattern, each ending with NUL, then one more NUL.
    std::string filter = std::string(display) + '\0' + pattern + '\0' + '\0';
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = name;
    ofn.nMaxFile = 259;
    ofn.lpstrDefExt = ext;
    ofn.Flags = save ? (OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR) : (OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR);
    const BOOL ok = ShowFileDialog(ofn, save);
    return ok ? std::string(name) : std::string();
}

namespace {

struct Sections {
    model::SetupSections setup;
    model::PresetSections preset;
};

}  // namespace

void Darvix::AfterLoad(int extSourceResult) {
    uint32_t flags[5] = {};
    if (sources_) sources_->GetSourceFlags(flags);
    if (wizard_) wizard_->SetSourceFlags(flags);
    if (dsp_) dsp_->SetDisplayValue(extSourceResult);
    if (online_) {
        requests_.routingResend = 1;
        SendMessageA(main_, ui::MsgWriteToDevice, 1, 0x10000);
    }
}

void Darvix::LoadSetupFile(HWND owner) {
    if (!dsp_ || !levels_ || !eqDynamic_ || !sources_) return;
    const std::string path = ChooseFile(owner, false, "Setup Files (*.bit)", "*.bit", "bit");
    if (path.empty()) return;
    const model::SetupSections sections{&dsp_->Section(), &levels_->Section(), &eqDynamic_->Section(),
                                        &sources_->Section()};
    const std::string error = model::LoadSetupFile(path, sections);
    if (!error.empty()) {
        // Nothing was changed: the user keeps the tuning on screen and learns why.
        TellUser(owner, error.c_str());
        return;
    }
    dsp_->Refresh();
    dsp_->ShareMutes();
    AfterLoad(sources_->Section().LastResult());
}

bool Darvix::SaveSetupFile(HWND owner) {
    if (!dsp_ || !levels_ || !eqDynamic_ || !sources_) return false;
    const std::string path = ChooseFile(owner, true, "Setup Files (*.bit)", "*.bit", "bit");
    if (path.empty()) return true;  // cancelled: nothing failed
    const model::SetupSections sections{&dsp_->Section(), &levels_->Section(), &eqDynamic_->Section(),
                                        &sources_->Section()};
    const std::string error = model::SaveSetupFile(path, sections);
    if (error.empty()) return true;
    TellUser(owner, error.c_str());
    return false;
}

void Darvix::LoadPresetFile(HWND owner, int slot) {
    if (!dsp_ || !levels_) return;
    const bool one = slot >= 0;
    const std::string path = ChooseFile(owner, false, one ? "Setup Files (*.pro)" : "Setup Files (*.prs)",
                                        one ? "*.pro" : "*.prs", one ? "pro" : "prs");
    if (path.empty()) return;
    const model::PresetSections sections{&dsp_->Section(), &levels_->Section()};
    std::string error;
    const model::PresetFileStatus status = model::LoadPresetFile(path, slot, sections, &error);
    if (status != model::PresetFileStatus::kOk) {
        TellUser(owner, status == model::PresetFileStatus::kIncompatible ? model::kPresetIncompatibleText
                                                                           : error.c_str());
        return;
    }
    dsp_->Refresh();
    if (online_) SendMessageA(main_, ui::MsgWriteToDevice, 1, 0x10000);
}

void Darvix::SavePresetFile(HWND owner, int slot) {
    if (!dsp_ || !levels_) return;
    const bool one = slot >= 0;
    const std::string path = ChooseFile(owner, true, one ? "Setup Files (*.pro)" : "Setup Files (*.prs)",
                                        one ? "*.pro" : "*.prs", one ? "pro" : "prs");
    if (path.empty()) return;
    const model::PresetSections sections{&dsp_->Section(), &levels_->Section()};
    const std::string error = model::SavePresetFile(path, slot, sections);
    if (!error.empty()) TellUser(owner, error.c_str());
}

void Darvix::CopyPreset(int from, int to) {
    if (to < 0 || to > 3) return;
    if (dsp_) dsp_->CopyPreset(from, to);
    if (levels_) levels_->CopyPreset(from, to);
    if (online_) SendMessageA(main_, ui::MsgWriteToDevice, 1, 0x10000);
}

int Darvix::ChooseFirmwareImage(HWND owner) {
    // The filter names "*.bin"; the default extension follows it (the filter is what the user sees).
    const std::string path = ChooseFile(owner, false, "Setup Files (*.bin)", "*.bin", "bin");
    if (path.empty()) return 0;
    // The file is read once: the copy that passes the check is the one the upload sends.
    std::vector<uint8_t> image;
    std::string message;
    if (!LoadFirmwareImage(path, &image, &message)) {
        TellUser(owner, message.c_str());
        return 0;
    }
    ui::MsgBox confirm(owner, IDB_FIRMWARE_CONFIRM, {0, 0, 0, 0}, {0, 0, 0, 0}, nullptr, 0, nullptr, 0,
                       ui::MbOk | ui::MbCancel, -1, 60);
    if (confirm.GetResult() != ui::MbOk) return 0;
    std::snprintf(firmwarePath_, sizeof firmwarePath_, "%s", path.c_str());
    firmwareImage_ = std::move(image);
    firmwareChosen_ = 1;
    return 1;
}

}  // namespace app
