#include "resources/string_table.h"

#include <cstdlib>
#include <string_view>

namespace {

struct Entry {
    int id;
    const char* english;
    const char* korean;
};

constexpr Entry kStrings[] = {
    {IDS_WINDOW_TITLE, "VDM-R30 Quillbox v2.1A (2013.05.31)",
     "VDM-R30 Quillbox v2.1A (2013.05.31)"},
    {IDS_COM_PORT, "COM Port", "COM 포트"},
    {IDS_OPEN, "Open", "열기"},
    {IDS_CLOSE, "Close", "닫기"},
    {IDS_HOST_ADDRESS, "Host Address", "통신할 주소"},
    {IDS_HOST_PORT, "Host Port", "통신할 포트"},
    {IDS_BAUDRATE, "Baudrate", "시리얼 통신속도"},
    {IDS_SECOND_HOST_ADDRESS, "2nd Host Address", "두 번째 통신할 주소"},
    {IDS_CHECK_INTERVAL, "Check TCP connection interval (second)", "TCP접속 확인 주기(초)"},
    {IDS_DEVICE_ID, "ID(Max. 8byte)", "ID(최대 8바이트)"},
    {IDS_DATA_BITS, "Data Bits", "데이터 비트"},
    {IDS_STOP_BIT, "Stop Bit", "정지 비트"},
    {IDS_PARITY, "Parity", "패리티"},
    {IDS_LOG, "Log", "로그"},
    {IDS_AUTO_SCROLL, "Auto scroll", "자동 스크롤"},
    {IDS_DELETE_LOG, "Delete Log", "로그 삭제"},
    {IDS_COMMAND, "Command", "명령"},
    {IDS_SEND, "Send", "명령 전송"},
    {IDS_VIEW_SCRIPT, "View Script", "스크립트 보기"},
    {IDS_WRITE_SCRIPT, "Write Script", "스크립트 저장"},
    {IDS_DELETE_SCRIPT, "Delete Script", "스크립트 삭제"},
    {IDS_EXIT, "Exit", "종료"},
    {IDS_ECHO_OFF, "Echo Off", "Echo 끄기"},
    {IDS_FLOW_CONTROL, "Flow Control", "흐름 제어"},
    {IDS_ECHO_ON, "Echo On", "Echo 켜기"},
    {IDS_CONFIRM_EXIT, "Are you sure to exit the program?", "프로그램을 종료하시겠습니까?"},
    {IDS_ENTER_HOST_ADDRESS, "Please enter Host Address.", "통신할 주소를 입력하세요."},
    {IDS_ENTER_HOST_PORT, "Please enter Host Port.", "통신할 포트를 입력하세요."},
    {IDS_NO_SCRIPT, "There is no script on the ovLNK.", "저장된 스크립트가 없습니다."},
    {IDS_ALL_DELETED, "All scripts have been deleted.", "모든 스크립트가 삭제되었습니다."},
    {IDS_RS232_ERROR, "An error occured during RS232 communication.",
     "RS232 통신오류가 발생하였습니다."},
    {IDS_ALL_WRITTEN, "All scripts have been written.", "모든 스크립트가 저장되었습니다."},
    {IDS_TIMEOUT, "Timeout (second)", "서버변경 대기시간(초)"},
    {IDS_OK, "OK", "확인"},
    {IDS_CANCEL, "Cancel", "취소"},
    {IDS_ACCEPT_TERMS, "I accept the terms in the exemption from liability.",
     "면책 고지 사항에 명시된 약관에 동의 합니다."},
    {IDS_LANGUAGE, "Language", "언어"},
    {IDS_LANGUAGE_KOREAN, "Korean", "한국어"},
    {IDS_LANGUAGE_ENGLISH, "English", "영어"},
    {IDS_LANGUAGE_FRENCH, "Franch", "프랑스어"},
    {IDS_VALUE_TOO_LONG, "The value of '%s' is too long to write to the device.",
     "'%s' 값이 너무 길어 장치에 저장할 수 없습니다."},
    {IDS_COPY, "Copy", "복사"},
    {IDS_COPY_ALL, "Copy All", "모두 복사"},
    {IDS_SAVE_AS, "Save As...", "다른 이름으로 저장..."},
    {IDS_SAVE_FAILED, "Cannot save the log to %s.", "로그를 %s에 저장할 수 없습니다."},
    {IDS_BACKUP_FAILED, "The script could not be backed up, so nothing was erased: %s",
     "스크립트를 백업할 수 없어 아무것도 삭제하지 않았습니다: %s"},
    {IDS_OPEN_SCRIPT, "Open Script...", "스크립트 열기..."},
    {IDS_SAVE_SCRIPT_AS, "Save Script As...", "스크립트 다른 이름으로 저장..."},
    {IDS_SCRIPT_FILES, "Script files (*.txt);;All files (*)",
     "스크립트 파일 (*.txt);;모든 파일 (*)"},
    {IDS_SCRIPT_READ_FAILED, "Cannot read the script file %s.",
     "스크립트 파일 %s을(를) 읽을 수 없습니다."},
    {IDS_SCRIPT_SAVE_FAILED, "Cannot save the script to %s.",
     "스크립트를 %s에 저장할 수 없습니다."},
    {IDS_SCRIPT_FAULTS, "The script file %s has errors; no setting was changed.",
     "스크립트 파일 %s에 오류가 있어 설정을 바꾸지 않았습니다."},
    {IDS_SCRIPT_FAULT_LINE, "Line %d: %s", "%d번째 줄: %s"},
    {IDS_SCRIPT_TOO_LARGE, "The file is too large to be a script file.",
     "스크립트 파일로 보기에는 파일이 너무 큽니다."},
    {IDS_SCRIPT_NOT_A_FILE, "This is not a regular file.", "일반 파일이 아닙니다."},
    {IDS_LINES_NOT_KEPT, "(%s lines not kept: received faster than the window could show them)",
     "(%s줄을 보관하지 못했습니다: 창이 표시할 수 있는 것보다 빨리 받았습니다)"},
    {IDS_LOG_ROWS_DROPPED, "(%s older rows dropped: the log keeps only the newest rows)",
     "(이전 행 %s개를 지웠습니다: 로그에는 최근 행만 남습니다)"},
};

// The interface locale as gettext takes it: the first entry of LANGUAGE, unless the locale of
// messages (the first set of LC_ALL, LC_MESSAGES and LANG) is unset, C or POSIX; else that one.
std::string InterfaceLocale() {
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            locale = value;
            break;
        }
    }
    const char* language = std::getenv("LANGUAGE");
    if (language == nullptr || *language == '\0' || locale.empty() || locale == "C" ||
        locale == "POSIX") {
        return locale;
    }
    const std::string list(language);
    return list.substr(0, list.find(':'));
}

}  // namespace

bool LocaleNamesKorean(const char* locale) {
    // The language code is the part before '_', '.' or '@'.
    const std::string_view name(locale);
    return name.substr(0, 2) == "ko" &&
           (name.size() == 2 || std::string_view("_.@").find(name[2]) != std::string_view::npos);
}

UiLanguage DetectUiLanguage() {
    return LocaleNamesKorean(InterfaceLocale().c_str()) ? UiLanguage::Korean : UiLanguage::English;
}

uint8_t SystemLanguageId() {
    for (const char* name : {"LC_ALL", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return LocaleNamesKorean(value) ? LANG_KOREAN : LANG_ENGLISH;
        }
    }
    return LANG_ENGLISH;
}

std::string LoadString(int id, UiLanguage language) {
    for (const Entry& entry : kStrings) {
        if (entry.id == id) {
            return language == UiLanguage::Korean ? entry.korean : entry.english;
        }
    }
    return {};
}
