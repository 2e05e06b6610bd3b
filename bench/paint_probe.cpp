// SPDX-License-Identifier: GPL-3.0-or-later
// Measures what a reader waits for: starts a command (or clicks the screen) and samples a region of the X
// screen a few milliseconds apart until text appears there that was not there before.
//   lectorin-paint-probe [--region X,Y,W,H] [--click X,Y] [--timeout MS] [--watch MS] [--keep] [--snapshot
//   PPM]
//                        [-- COMMAND ARGS…]
// Prints "painted-ms T" (or "painted-ms never"), "samples N", "pid P" of the command, and "white-samples N":
// samples whose region was almost all white, the flash a dark look must never show, counted until --watch MS
// after the text showed. Without --keep the command's process group is ended once the text showed.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

struct ScreenArea
{
    int x = 300, y = 80, width = 580, height = 420;
};

// A region's look, read on every second pixel of every second line.
struct Sample
{
    std::vector<unsigned long> pixels;
    long ink = 0; // pixels unlike the region's commonest colour: glyphs, rules, icons
    // Whether one colour, a page's background, covers most of the region: a window half drawn over the root
    // window's pattern is no page, however much it differs.
    bool onBackground = false;
    long white = 0;
};

Sample sample(Display *display, const ScreenArea &region)
{
    Sample result;
    XImage *image = XGetImage(display, DefaultRootWindow(display), region.x, region.y, unsigned(region.width),
        unsigned(region.height), AllPlanes, ZPixmap);
    if (!image)
        return result;
    std::unordered_map<unsigned long, long> counts;
    for (int y = 0; y < region.height; y += 2) {
        for (int x = 0; x < region.width; x += 2) {
            const unsigned long pixel = XGetPixel(image, x, y) & 0xffffff;
            result.pixels.push_back(pixel);
            ++counts[pixel];
            if ((pixel >> 16 & 0xff) > 235 && (pixel >> 8 & 0xff) > 235 && (pixel & 0xff) > 235)
                ++result.white;
        }
    }
    XDestroyImage(image);
    long commonest = 0;
    for (const auto &[pixel, count] : counts)
        commonest = std::max(commonest, count);
    result.ink = long(result.pixels.size()) - commonest;
    result.onBackground = commonest * 4 >= long(result.pixels.size()) * 3;
    return result;
}

long differing(const Sample &a, const Sample &b)
{
    if (a.pixels.size() != b.pixels.size())
        return long(std::max(a.pixels.size(), b.pixels.size()));
    long count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        count += a.pixels[i] != b.pixels[i];
    return count;
}

// The sample that counted as text, as a PPM picture at half size, to see what the probe saw.
void save(const Sample &sample, const ScreenArea &area, const char *path)
{
    std::FILE *out = std::fopen(path, "wb");
    if (!out)
        return;
    const int width = (area.width + 1) / 2;
    std::fprintf(out, "P6\n%d %d\n255\n", width, int(sample.pixels.size()) / width);
    for (const unsigned long pixel : sample.pixels) {
        const unsigned char rgb[] = { static_cast<unsigned char>(pixel >> 16),
            static_cast<unsigned char>(pixel >> 8), static_cast<unsigned char>(pixel) };
        std::fwrite(rgb, 1, 3, out);
    }
    std::fclose(out);
}

pid_t start(char **command)
{
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execvp(command[0], command);
        _exit(127);
    }
    return child;
}

void click(Display *display, int x, int y)
{
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

} // namespace

int main(int argc, char *argv[])
{
    ScreenArea region;
    int clickX = -1, clickY = -1;
    long timeout = 20000;
    long watch = 0;
    // Text is a few hundred sampled pixels of ink: more than a cursor or a frame's edge. --min-ink raises it
    // above what shows before the page, such as the window's "No Command Selected" placeholder.
    long enoughInk = 400;
    bool keep = false;
    const char *snapshot = nullptr;
    char **command = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--region" && i + 1 < argc)
            std::sscanf(argv[++i], "%d,%d,%d,%d", &region.x, &region.y, &region.width, &region.height);
        else if (argument == "--click" && i + 1 < argc)
            std::sscanf(argv[++i], "%d,%d", &clickX, &clickY);
        else if (argument == "--timeout" && i + 1 < argc)
            timeout = std::atol(argv[++i]);
        else if (argument == "--watch" && i + 1 < argc)
            watch = std::atol(argv[++i]);
        else if (argument == "--min-ink" && i + 1 < argc)
            enoughInk = std::atol(argv[++i]);
        else if (argument == "--snapshot" && i + 1 < argc)
            snapshot = argv[++i];
        else if (argument == "--keep")
            keep = true;
        else if (argument == "--" && i + 1 < argc) {
            command = argv + i + 1;
            break;
        } else {
            std::fprintf(stderr,
                "usage: lectorin-paint-probe [--region X,Y,W,H] [--click X,Y] [--timeout MS] "
                "[--watch MS] [--keep] [-- COMMAND ARGS…]\n");
            return 2;
        }
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "lectorin-paint-probe: no X display\n");
        return 1;
    }
    const Sample before = sample(display, region);
    const long newLook = long(before.pixels.size()) / 20;

    using Clock = std::chrono::steady_clock;
    const Clock::time_point started = Clock::now();
    const pid_t child = command ? start(command) : -1;
    if (clickX >= 0)
        click(display, clickX, clickY);
    long samples = 0, whiteSamples = 0;
    double painted = -1;
    for (;;) {
        const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        if (painted < 0 ? elapsed > double(timeout) : elapsed > painted + double(watch))
            break;
        const Sample now = sample(display, region);
        ++samples;
        if (now.white * 10 > long(now.pixels.size()) * 9)
            ++whiteSamples;
        if (painted < 0 && now.onBackground && now.ink >= enoughInk && differing(now, before) >= newLook) {
            painted = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
            if (snapshot)
                save(now, region, snapshot);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (painted < 0)
        std::printf("painted-ms never\n");
    else
        std::printf("painted-ms %.1f\n", painted);
    std::printf("samples %ld\nwhite-samples %ld\npid %d\n", samples, whiteSamples, int(child));
    if (child > 0 && !keep) {
        kill(-child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    XCloseDisplay(display);
    return painted < 0 ? 1 : 0;
}
