#pragma once

#include <cstdint>
#include <string>

// Identifiers of the string table. Every visible text of the windows exists in Korean and in
// English under one of these numbers.
enum StringId : int {
    IDS_WINDOW_TITLE = 102,
    IDS_COM_PORT = 103,
    IDS_OPEN = 104,
    IDS_CLOSE = 105,
    IDS_HOST_ADDRESS = 106,
    IDS_HOST_PORT = 107,
    IDS_BAUDRATE = 108,
    IDS_SECOND_HOST_ADDRESS = 109,
    IDS_CHECK_INTERVAL = 110,
    IDS_DEVICE_ID = 111,
    IDS_DATA_BITS = 112,
    IDS_STOP_BIT = 113,
    IDS_PARITY = 114,
    IDS_LOG = 115,
    IDS_AUTO_SCROLL = 116,
    IDS_DELETE_LOG = 117,
    IDS_COMMAND = 118,
    IDS_SEND = 119,
    IDS_VIEW_SCRIPT = 120,
    IDS_WRITE_SCRIPT = 121,
    IDS_DELETE_SCRIPT = 122,
    IDS_EXIT = 123,
    IDS_ECHO_OFF = 124,
    IDS_FLOW_CONTROL = 125,
    IDS_ECHO_ON = 126,
    IDS_CONFIRM_EXIT = 127,
    IDS_ENTER_HOST_ADDRESS = 128,
    IDS_ENTER_HOST_PORT = 129,
    IDS_NO_SCRIPT = 130,
    IDS_ALL_DELETED = 131,
    IDS_RS232_ERROR = 132,
    IDS_ALL_WRITTEN = 134,
    IDS_TIMEOUT = 135,
    IDS_OK = 136,
    IDS_CANCEL = 137,
    IDS_ACCEPT_TERMS = 138,
    IDS_LANGUAGE = 139,
    IDS_LANGUAGE_KOREAN = 140,
    IDS_LANGUAGE_ENGLISH = 141,
    IDS_LANGUAGE_FRENCH = 142,
    // Added by this program: a value that does not fit its write line; %s is the field caption.
    IDS_VALUE_TOO_LONG = 143,
    // Added by this program: the log's context menu, and its message when saving fails (%s is
    // the file's path).
    IDS_COPY = 144,
    IDS_COPY_ALL = 145,
    IDS_SAVE_AS = 146,
    IDS_SAVE_FAILED = 147,
    // Added by this program: no copy of the stored script could be kept before erasing it; %s is
    // the reason.
    IDS_BACKUP_FAILED = 148,
    // Added by this program: script files in the main window (%s is the file's path; a fault
    // line gives its line number and reason).
    IDS_OPEN_SCRIPT = 180,
    IDS_SAVE_SCRIPT_AS = 181,
    IDS_SCRIPT_FILES = 182,
    IDS_SCRIPT_READ_FAILED = 183,
    IDS_SCRIPT_SAVE_FAILED = 184,
    IDS_SCRIPT_FAULTS = 185,
    IDS_SCRIPT_FAULT_LINE = 186,
    IDS_SCRIPT_TOO_LARGE = 187,
    IDS_SCRIPT_NOT_A_FILE = 188,
    // A log row standing for received lines the window could not keep up with; %s is how many.
    IDS_LINES_NOT_KEPT = 189,
    // The first row of a log that dropped its oldest rows to stay within its bound; %s is how
    // many.
    IDS_LOG_ROWS_DROPPED = 190,
};

enum class UiLanguage { English, Korean };

// The primary-language byte of the system default language for Korean; any other is English.
constexpr uint8_t LANG_KOREAN = 0x12;
constexpr uint8_t LANG_ENGLISH = 0x09;

// True for a locale name of the Korean language: "ko", "ko_KR.UTF-8", "ko@...".
bool LocaleNamesKorean(const char* locale);

// The user-interface language, as gettext picks it: the first entry of LANGUAGE unless the
// locale (the first set of LC_ALL, LC_MESSAGES and LANG) is unset, C or POSIX, else that
// locale; Korean when it names Korean ("ko..."), else English.
UiLanguage DetectUiLanguage();

// The system default language, from the system locale (LC_ALL, else LANG): LANG_KOREAN or
// LANG_ENGLISH, for only "Korean or not" matters to the program.
uint8_t SystemLanguageId();

// The text of `id` in `language`, UTF-8; "" for an unknown id.
std::string LoadString(int id, UiLanguage language);
