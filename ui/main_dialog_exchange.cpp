// The dialog's value fields: exchange with the controls, and the settings controls that the
// operations read and write directly.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <algorithm>

#include "ui/device_text.h"
#include "ui/ip_address_edit.h"
#include "ui/main_dialog.h"

namespace {

constexpr int kMaxDeviceIdLength = 8;

// Writes only a changed text, so that a caret in an unchanged edit stays where it is. Every
// logged line shows the fields again, so the usual case, nothing changed, costs no copy.
void ShowText(QLineEdit* edit, const std::string& bytes, UiLanguage language) {
    if (!ShowsDeviceText(edit->text(), bytes, language)) {
        edit->setText(DecodeDeviceText(bytes, language));
    }
}

// Setting a limit sets the text again, which moves the caret to the end: only a new limit is
// set.
void SetLimit(QLineEdit* edit, int limit) {
    if (edit->maxLength() != limit) {
        edit->setMaxLength(limit);
    }
}

// The ID edit takes 8 characters, or the whole of a longer ID that a listing stored.
int DeviceIdLimit(qsizetype idLength) {
    return std::max(kMaxDeviceIdLength, int(idLength));
}

// The length the edit gives an ID. A short one needs no decoding: no character shown takes
// fewer bytes than it takes UTF-16 units.
qsizetype ShownLength(const std::string& bytes, UiLanguage language) {
    return bytes.size() <= kMaxDeviceIdLength ? qsizetype(bytes.size())
                                              : DecodeDeviceText(bytes, language).size();
}

// A field keeps the device's bytes while its edit still shows them; an edited text is encoded
// for the device.
void TakeText(const QLineEdit* edit, std::string& bytes, UiLanguage language) {
    if (!ShowsDeviceText(edit->text(), bytes, language)) {
        bytes = EncodeDeviceText(edit->text(), language);
    }
}

}  // namespace

// Typing stops at 8 characters. A longer ID listed from the device is shown whole (a plain
// limit would cut it silently), so that taking it over is refused with a message instead;
// the limit then shrinks back to 8 as the operator shortens it.
void CVDMR30QuillboxDlg::LimitDeviceId() {
    SetLimit(deviceIdEdit, DeviceIdLimit(deviceIdEdit->text().size()));
}

bool CVDMR30QuillboxDlg::exchangeData(Exchange direction) {
    if (direction == Exchange::ToControls) {
        ShowText(hostPortEdit, fields.hostPortText, language);
        ShowText(commandEdit, fields.commandText, language);
        autoScrollCheck->setChecked(fields.autoScroll != 0);
        SetLimit(deviceIdEdit, DeviceIdLimit(ShownLength(fields.deviceIdText, language)));
        ShowText(deviceIdEdit, fields.deviceIdText, language);
        ShowText(intervalEdit, fields.intervalText, language);
        ShowText(timeoutEdit, fields.timeoutText, language);
        return true;
    }
    TakeText(hostPortEdit, fields.hostPortText, language);
    TakeText(commandEdit, fields.commandText, language);
    fields.autoScroll = autoScrollCheck->isChecked() ? 1 : 0;
    TakeText(deviceIdEdit, fields.deviceIdText, language);
    if (deviceIdEdit->text().size() > kMaxDeviceIdLength) {
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

bool CVDMR30QuillboxDlg::ExchangeFromControls() {
    return exchangeData(Exchange::FromControls);
}

DeviceFields& CVDMR30QuillboxDlg::Fields() {
    return *this;
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
    switch (combo) {
        case SettingCombo::BaudRate:
            return baudRateCombo;
        case SettingCombo::Parity:
            return parityCombo;
        case SettingCombo::DataBits:
            return dataBitsCombo;
        case SettingCombo::StopBits:
            return stopBitsCombo;
        case SettingCombo::FlowControl:
            return flowControlCombo;
    }
    return baudRateCombo;
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
