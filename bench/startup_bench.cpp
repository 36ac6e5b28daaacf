// SPDX-License-Identifier: MIT
// The dialog's start-up against its floor, as a person meets it: the time from starting the
// program to its window being mapped on the X server, and the peak resident memory by then.
// The two programs start in turn, RUNS times each; the medians and their ratios are printed
// beside the targets. DISPLAY must name an X server of the benchmark's own, without a window
// manager. Usage: corvane_startup_bench RUNS PROGRAM FLOOR_PROGRAM
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kLongestStart{20};
constexpr double kTimeTarget = 1.15;
constexpr double kMemoryTarget = 1.10;

struct Start {
    double ms = 0;
    long peakKiB = 0;
};

long PeakResidentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

// Starts program and waits for its first top-level window to be mapped; nullopt if it is not
// within kLongestStart or the program ends first.
std::optional<Start> StartOnce(Display* pDisplay, const char* program)
{
    XSync(pDisplay, True);  // forget the windows of earlier runs
    const Clock::time_point begin = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    std::optional<Start> start;
    pollfd connection{ConnectionNumber(pDisplay), POLLIN, 0};
    while (!start && Clock::now() - begin < kLongestStart && waitpid(pid, nullptr, WNOHANG) == 0) {
        if (XPending(pDisplay) == 0) {
            poll(&connection, 1, 10);
            continue;
        }
        XEvent event;
        XNextEvent(pDisplay, &event);
        if (event.type != MapNotify || event.xmap.override_redirect)
            continue;
        kill(pid, SIGSTOP);  // what it does once its window is up does not count
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        start = Start{ms, PeakResidentKiB(pid)};
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return start;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4 || std::atoi(argv[1]) < 1) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM FLOOR_PROGRAM\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    Display* pDisplay = XOpenDisplay(nullptr);
    if (pDisplay == nullptr) {
        std::fprintf(stderr, "%s: no X server (DISPLAY)\n", argv[0]);
        return 2;
    }
    XSelectInput(pDisplay, DefaultRootWindow(pDisplay), SubstructureNotifyMask);

    std::vector<double> times[2];
    std::vector<double> peaks[2];
    for (int run = 0; run < runs; ++run) {
        for (int which = 0; which < 2; ++which) {
            const std::optional<Start> start = StartOnce(pDisplay, argv[2 + which]);
            if (!start) {
                std::fprintf(stderr, "%s: %s showed no window\n", argv[0], argv[2 + which]);
                return 1;
            }
            times[which].push_back(start->ms);
            peaks[which].push_back(static_cast<double>(start->peakKiB));
        }
    }
    const double time = Median(times[0]);
    const double floorTime = Median(times[1]);
    const double peak = Median(peaks[0]);
    const double floorPeak = Median(peaks[1]);
    std::printf("dialog start to mapped window: %.1f ms, minimal dialog %.1f ms: %.2fx (target %.2fx)\n", time,
                floorTime, time / floorTime, kTimeTarget);
    std::printf("dialog peak memory when mapped: %.1f MiB, minimal dialog %.1f MiB: %.2fx (target %.2fx)\n",
                peak / 1024, floorPeak / 1024, peak / floorPeak, kMemoryTarget);
    XCloseDisplay(pDisplay);
    return 0;
}
