#include "cli/cli_texts.h"

namespace {

struct Entry {
    const char* english;
    const char* korean;
};

// Indexed by CliText.
const Entry kTexts[] = {
    {"Usage: quillbox-cli [--timeout SECONDS] COMMAND ...\n"
     "Commands:\n"
     "  ports                 list the COM ports with their devices\n"
     "  view PORT             print the device's stored script as a script file\n"
     "  write PORT FILE|-     replace the device's script with a script file\n"
     "  delete PORT           erase the device's stored script\n"
     "  send PORT LINE        send one command line and print the answer\n"
     "  echo PORT on|off      switch the device's echo\n"
     "  agree                 read and accept the disclaimer\n"
     "PORT is a COM name (COM7) or a device path. --timeout is the longest wait for one\n"
     "answer (default 5). COMMAND --help describes a command.\n"
     "Exit status: 0 done, 1 refused or no answer, 2 bad usage or file, 3 port not opened.\n",
     "사용법: quillbox-cli [--timeout 초] 명령 ...\n"
     "명령:\n"
     "  ports                 COM 포트와 장치 목록\n"
     "  view PORT             장치에 저장된 스크립트를 스크립트 파일로 출력\n"
     "  write PORT FILE|-     장치의 스크립트를 스크립트 파일로 교체\n"
     "  delete PORT           장치에 저장된 스크립트 삭제\n"
     "  send PORT LINE        명령 한 줄을 보내고 응답 출력\n"
     "  echo PORT on|off      장치의 Echo 켜기/끄기\n"
     "  agree                 면책 고지를 읽고 동의\n"
     "PORT는 COM 이름(COM7) 또는 장치 경로입니다. --timeout은 응답 하나를 기다리는 최대\n"
     "시간입니다(기본 5초). 명령 --help는 명령을 설명합니다.\n"
     "종료 코드: 0 완료, 1 거부 또는 무응답, 2 잘못된 사용법 또는 파일, 3 포트 열기 실패.\n"},
    {"quillbox-cli ports\nLists the COM ports, each with its device path and USB description.\n",
     "quillbox-cli ports\nCOM 포트를 장치 경로, USB 설명과 함께 보여 줍니다.\n"},
    {"quillbox-cli view PORT\nLists the device's stored script and prints it on standard output "
     "as a script file (one setting a line, as the device lists it).\n",
     "quillbox-cli view PORT\n장치에 저장된 스크립트를 읽어 표준 출력에 스크립트 파일(한 줄에 "
     "설정 하나)로 출력합니다.\n"},
    {"quillbox-cli write PORT FILE|-\nChecks the whole script file (- reads standard input), "
     "keeps a backup of the device's script, erases it and writes the file's settings.\n",
     "quillbox-cli write PORT FILE|-\n스크립트 파일 전체를 검사하고(-는 표준 입력), 장치의 "
     "스크립트를 백업한 뒤 지우고 파일의 설정을 저장합니다.\n"},
    {"quillbox-cli delete PORT\nKeeps a backup of the device's script, then erases it.\n",
     "quillbox-cli delete PORT\n장치의 스크립트를 백업한 뒤 삭제합니다.\n"},
    {"quillbox-cli send PORT LINE\nSends LINE and prints what the device answers until it "
     "confirms with \"!700\" or is quiet.\n",
     "quillbox-cli send PORT LINE\nLINE을 보내고 장치가 \"!700\"으로 확인하거나 응답이 멈출 "
     "때까지 응답을 출력합니다.\n"},
    {"quillbox-cli echo PORT on|off\nSwitches the device's echo on (\"!E1\") or off (\"!E0\").\n",
     "quillbox-cli echo PORT on|off\n장치의 Echo를 켜거나(\"!E1\") 끕니다(\"!E0\").\n"},
    {"quillbox-cli agree\nShows the disclaimer and asks once whether you accept it.\n",
     "quillbox-cli agree\n면책 고지를 보여 주고 동의 여부를 한 번 묻습니다.\n"},
    {"bad usage; see quillbox-cli --help", "잘못된 사용법입니다. quillbox-cli --help를 보세요"},
    {"--timeout takes a number of seconds from 0.1 to 3600",
     "--timeout에는 0.1에서 3600 사이의 초를 주세요"},
    {"%s is neither a COM name (COM7) nor a device path",
     "%s은(는) COM 이름(COM7)도 장치 경로도 아닙니다"},
    {"the line to send must not be empty or hold CR, LF or NUL",
     "보낼 줄은 비어 있거나 CR, LF, NUL을 담을 수 없습니다"},
    {"%s: cannot read: %s", "%s: 읽을 수 없습니다: %s"},
    {"the disclaimer has not been accepted; nothing was sent. Accept it in the window or with "
     "'quillbox-cli agree'.",
     "면책 고지에 동의하지 않아 아무것도 보내지 않았습니다. 창에서 또는 'quillbox-cli agree'로 "
     "동의하세요."},
    {"Disclaimer of liability\n\n"
     "1. Tavrel Systems Co., Ltd. is not liable for any direct, indirect, incidental, special or\n"
     "   consequential damage, including loss of data, profit or business, that arises from\n"
     "   the use of, or the inability to use, this program or a device configured with it.\n"
     "   You alone decide which settings you write to a device and must check them before\n"
     "   you put it into service.\n"
     "2. The VDM-R30 and the other ovLNK devices must not be used in life-support or medical\n"
     "   devices, nuclear facilities, aviation, the control of trains, ships and vehicles,\n"
     "   weapons, or safety and emergency systems.\n"
     "3. Any liability is limited to the refund, repair or replacement of the device.\n"
     "4. The program is provided as is, without any other warranty.\n"
     "The full text is shown by the quillbox window.\n",
     "면책 고지\n\n"
     "1. 타브렐시스템즈(주)는 이 프로그램 또는 이 프로그램으로 설정한 장치의 사용이나 사용\n"
     "   불능으로 생기는 직접, 간접, 부수적, 특별 또는 결과적 손해(데이터, 이익, 영업의 손실\n"
     "   포함)에 대해 책임지지 않습니다. 장치에 쓸 설정은 사용자가 정하며, 장치를 사용하기\n"
     "   전에 확인해야 합니다.\n"
     "2. VDM-R30과 ovLNK 장치는 생명 유지·의료 장비, 원자력 시설, 항공, 열차·선박·차량\n"
     "   제어, 무기, 안전·비상 시스템에 사용할 수 없습니다.\n"
     "3. 책임은 장치의 환불, 수리 또는 교체로 한정됩니다.\n"
     "4. 이 프로그램은 있는 그대로 제공되며 그 밖의 보증은 없습니다.\n"
     "전문은 quillbox 창에서 볼 수 있습니다.\n"},
    {"I accept the terms in the exemption from liability. [y/N] ",
     "면책 고지 사항에 명시된 약관에 동의 합니다. [y/N] "},
    {"accepted", "동의하였습니다"},
    {"not accepted", "동의하지 않았습니다"},
    {"cannot store the acceptance in %s: %s", "%s에 동의를 저장할 수 없습니다: %s"},
    {"no COM port found", "COM 포트가 없습니다"},
    {"no answer from the device within %s s", "%s초 안에 장치의 응답이 없습니다"},
    {"the device did not confirm the command", "장치가 명령을 확인하지 않았습니다"},
    {"the port was lost (unplugged?)", "포트가 끊어졌습니다(분리되었나요?)"},
    {"interrupted", "중단되었습니다"},
    {"the write stopped after %s of %s settings; the device's script is incomplete",
     "설정 %s개를 저장한 뒤 멈추었습니다(전체 %s개). 장치의 스크립트가 완전하지 않습니다"},
    {"the erase stopped after %s of %s stored lines",
     "저장된 줄 %s개를 지운 뒤 멈추었습니다(전체 %s개)"},
    {"backup of the device's script: %s", "장치 스크립트 백업: %s"},
    {"%s lines from the device were not stored (too many at once)",
     "장치에서 온 %s줄을 저장하지 못했습니다(한꺼번에 너무 많음)"},
};

}  // namespace

std::string CliString(CliText id, UiLanguage language) {
    const Entry& entry = kTexts[static_cast<int>(id)];
    return language == UiLanguage::Korean ? entry.korean : entry.english;
}

std::string FillIn(std::string text, std::initializer_list<std::string> values) {
    size_t from = 0;
    for (const std::string& value : values) {
        const size_t marker = text.find("%s", from);
        if (marker == std::string::npos) {
            break;
        }
        text.replace(marker, 2, value);
        from = marker + value.size();
    }
    return text;
}
