#include "app/system_language.h"

#include <cstdlib>

#include "resources/string_table.h"

namespace {

constexpr uint8_t LANG_ENGLISH = 0x09;

}  // namespace

uint8_t SystemLanguageId() {
    for (const char* name : {"LC_ALL", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return LocaleNamesKorean(value) ? LANG_KOREAN : LANG_ENGLISH;
        }
    }
    return LANG_ENGLISH;
}
