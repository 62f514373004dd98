// vdm-r30-sim: serves a simulated VDM-R30 on a pseudo-terminal linked as a COM port, until
// SIGINT or SIGTERM.
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/com_links_folder.h"
#include "sim/device_model.h"
#include "sim/pty_host.h"
#include "sim/sim_options.h"

namespace {

int Serve(const SimOptions& options) {
    // Blocked before the serving thread starts, so only sigwait below ever takes them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    PtyHost host(DeviceModel(options.storedLines, options.faults));
    host.SetAnswerDelay(options.answerDelayMs);
    std::string error;
    if (!host.Start(&error) || !host.LinkAsCom(options.comNumber, options.linksDir, &error)) {
        std::fprintf(stderr, "vdm-r30-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("Device:   %s\nCOM link: %s/COM%d\nOpen COM%d in Quillbox\n",
                host.SlavePath().c_str(), options.linksDir.c_str(), options.comNumber,
                options.comNumber);
    std::fflush(stdout);

    int signal = 0;
    while (sigwait(&signals, &signal) != 0) {
    }
    size_t received = 0;
    host.WithModel([&](DeviceModel& model) { received = model.CommandLog().size(); });
    std::printf("Stopped after %zu command lines.\n", received);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    SimOptions options;
    options.linksDir = DefaultComLinksDir(getenv("XDG_RUNTIME_DIR"), getuid());
    std::string error;
    if (!ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
        std::fprintf(stderr, "vdm-r30-sim: %s (try --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(SimUsage().c_str(), stdout);
        return 0;
    }
    return Serve(options);
}
