// The dialog's value fields: exchange with the controls, and the settings controls that the
// operations read and write directly.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <algorithm>

#include "protocol/device_text_rule.h"
#include "ui/device_text.h"
#include "ui/ip_address_edit.h"
#include "ui/main_dialog.h"

namespace {

constexpr int kMaxDeviceIdLength = 8;
// The bytes on which an edit and its field last agreed, kept on the edit.
constexpr const char* kAgreedBytes = "agreedBytes";

// True when the field has changed since it and its edit last agreed; they agree from now on.
// An edit is written only then, so that what the operator types survives lines arriving.
bool FieldChanged(QLineEdit* edit, const std::string& bytes) {
    const QByteArray value = QByteArray::fromStdString(bytes);
    const QVariant agreed = edit->property(kAgreedBytes);
    if (agreed.isValid() && agreed.toByteArray() == value) {
        return false;
    }
    edit->setProperty(kAgreedBytes, value);
    return true;
}

// Writes only a changed text, so that a caret in an unchanged edit stays where it is.
void ShowText(QLineEdit* edit, const std::string& bytes, UiLanguage language) {
    if (!ShowsDeviceText(edit->text(), bytes, language)) {
        edit->setText(DecodeDeviceText(bytes, language));
    }
}

// Typing stops at 8 characters; a longer ID that a listing stored is shown whole (a plain
// limit would cut it silently), so that taking it over is refused with a message instead.
// Setting a limit sets the text again, which moves the caret to the end: only a new limit is
// set.
void SetIdLimit(QLineEdit* edit, qsizetype idLength) {
    const int limit = std::max(kMaxDeviceIdLength, int(idLength));
    if (edit->maxLength() != limit) {
        edit->setMaxLength(limit);
    }
}

// A field keeps the device's bytes while its edit still shows them; an edited text is encoded
// for the device.
void TakeText(QLineEdit* edit, std::string& bytes, UiLanguage language) {
    if (!ShowsDeviceText(edit->text(), bytes, language)) {
        bytes = EncodeDeviceText(edit->text(), language);
    }
    edit->setProperty(kAgreedBytes, QByteArray::fromStdString(bytes));
}

}  // namespace

// The limit shrinks back to 8 as the operator shortens a longer ID.
void CVDMR30QuillboxDlg::LimitDeviceId() {
    SetIdLimit(deviceIdEdit, deviceIdEdit->text().size());
}

bool CVDMR30QuillboxDlg::exchangeData(Exchange direction) {
    if (direction == Exchange::ToControls) {
        QLineEdit* const edits[] = {hostPortEdit, commandEdit, intervalEdit, timeoutEdit};
        const std::string* const texts[] = {&fields.hostPortText, &fields.commandText,
                                            &fields.intervalText, &fields.timeoutText};
        for (int i = 0; i < 4; ++i) {
            if (FieldChanged(edits[i], *texts[i])) {
                ShowText(edits[i], *texts[i], language);
            }
        }
        autoScrollCheck->setChecked(fields.autoScroll != 0);
        const std::string& id = fields.deviceIdText;
        if (FieldChanged(deviceIdEdit, id)) {
            // A short ID needs no decoding: no character takes fewer bytes than UTF-16 units.
            SetIdLimit(deviceIdEdit, id.size() <= kMaxDeviceIdLength
                                         ? qsizetype(id.size())
                                         : DecodeDeviceText(id, language).size());
            ShowText(deviceIdEdit, id, language);
        }
        return true;
    }
    TakeText(hostPortEdit, fields.hostPortText, language);
    TakeText(commandEdit, fields.commandText, language);
    fields.autoScroll = autoScrollCheck->isChecked() ? 1 : 0;
    TakeText(deviceIdEdit, fields.deviceIdText, language);
    // Characters as the operator reads them, by the rule the script files follow too.
    if (DeviceTextLength(fields.deviceIdText, language) > kMaxDeviceIdLength) {
        BoxContent warning;
        warning.caption = QCoreApplication::applicationName();
        warning.text = QStringLiteral("%1자 이내로 입력하십시오.").arg(kMaxDeviceIdLength);
        warning.icon = QMessageBox::Warning;
        RunMessageBox(runModal, this, warning);
        deviceIdEdit->setFocus(Qt::OtherFocusReason);
        deviceIdEdit->selectAll();
        return false;
    }
    TakeText(intervalEdit, fields.intervalText, language);
    TakeText(timeoutEdit, fields.timeoutText, language);
    return true;
}

// The edit of a text setting shows its field again at the next exchange, even when the field
// holds what it held before: the operator may have typed over it.
void CVDMR30QuillboxDlg::ForgetShownText(int setting) {
    QLineEdit* const edits[kSettingCount] = {nullptr,      hostPortEdit, nullptr,
                                             intervalEdit, timeoutEdit,  deviceIdEdit};
    if (setting >= 0 && setting < kSettingCount && edits[setting] != nullptr) {
        edits[setting]->setProperty(kAgreedBytes, QVariant());
    }
}

TextFields& CVDMR30QuillboxDlg::Texts() {
    return fields;
}

IpAddressEdit* CVDMR30QuillboxDlg::AddressCtrl(AddressField field) const {
    return field == AddressField::Host ? hostAddressCtrl : secondHostAddressCtrl;
}

uint32_t CVDMR30QuillboxDlg::GetAddress(AddressField field) const {
    return AddressCtrl(field)->GetAddress();
}

void CVDMR30QuillboxDlg::SetAddress(AddressField field, uint32_t address) {
    AddressCtrl(field)->SetAddress(address);
}

QComboBox* CVDMR30QuillboxDlg::Combo(SettingCombo combo) const {
    // In the order of SettingCombo.
    QComboBox* const combos[] = {baudRateCombo, parityCombo, dataBitsCombo, stopBitsCombo,
                                 flowControlCombo};
    return combos[static_cast<int>(combo)];
}

int CVDMR30QuillboxDlg::GetSelection(SettingCombo combo) const {
    return Combo(combo)->currentIndex();
}

void CVDMR30QuillboxDlg::SetSelection(SettingCombo combo, int index) {
    Combo(combo)->setCurrentIndex(index);
}

int CVDMR30QuillboxDlg::ItemCount(SettingCombo combo) const {
    return Combo(combo)->count();
}

std::string CVDMR30QuillboxDlg::ItemText(SettingCombo combo, int index) const {
    return Combo(combo)->itemText(index).toStdString();
}
