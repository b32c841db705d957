// Times a program's windows from outside, for bench/startup.sh: starts the program, then watches the X
// server's top-level windows until each awaited one is viewable (mapped, with its parents) or painted (its
// pixels hold more than one colour, so something was drawn on the empty background), and prints each time
// in milliseconds from the start. Then it reads the program's peak memory, ends it (only the process it
// started, by its id) and waits for it.
//   window_times [--timeout SECONDS] viewable:NAME|painted:NAME ... -- PROGRAM [ARGUMENTS]
// NAME is the window's title (_NET_WM_NAME). Polling the server every two milliseconds is cheap beside the
// program's start and, unlike a search tool started over and over, adds no process starts of its own.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Wanted {
    bool painted = false;  // else viewable
    std::string name;
    double ms = -1;
};

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// The title as Qt sets it: _NET_WM_NAME in UTF-8 (WM_NAME stays empty).
std::string windowName(xcb_connection_t* c, xcb_atom_t netWmName, xcb_window_t w) {
    Reply<xcb_get_property_reply_t> p(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, netWmName, XCB_ATOM_ANY, 0, 256), nullptr),
        &std::free);
    if (!p) {
        return {};
    }
    return std::string(static_cast<const char*>(xcb_get_property_value(p.get())),
                       std::size_t(xcb_get_property_value_length(p.get())));
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool viewable(xcb_connection_t* c, xcb_window_t w) {
    Reply<xcb_get_window_attributes_reply_t> a(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr), &std::free);
    return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
}

// More than one pixel value in the window: drawn on, as a window that is only mapped shows one colour.
bool painted(xcb_connection_t* c, xcb_window_t w) {
    Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr), &std::free);
    if (!g || g->width == 0 || g->height == 0) {
        return false;
    }
    Reply<xcb_get_image_reply_t> img(
        xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, g->width, g->height, ~0u),
                            nullptr),
        &std::free);
    if (!img || g->depth < 24) {
        return false;
    }
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(img.get()));
    const int count = xcb_get_image_data_length(img.get()) / 4;
    for (int i = 1; i < count; ++i) {
        if ((pixels[i] & 0xFFFFFF) != (pixels[0] & 0xFFFFFF)) {
            return true;
        }
    }
    return false;
}

long peakMemoryKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    double timeout = 20;
    std::vector<Wanted> wanted;
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const std::string arg = argv[i];
        if (arg == "--timeout" && i + 1 < argc) {
            timeout = std::atof(argv[++i]);
        } else if (arg.rfind("viewable:", 0) == 0) {
            wanted.push_back({false, arg.substr(9)});
        } else if (arg.rfind("painted:", 0) == 0) {
            wanted.push_back({true, arg.substr(8)});
        } else {
            std::fprintf(stderr, "window_times: unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    if (i + 1 >= argc || wanted.empty()) {
        std::fprintf(stderr, "usage: window_times [--timeout S] viewable:NAME|painted:NAME ... -- PROGRAM\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "window_times: no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t netWmName = atom(c, "_NET_WM_NAME");

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[i + 1], argv + i + 1);
        std::perror("window_times: exec");
        _exit(127);
    }
    auto elapsedMs = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };

    std::size_t open = wanted.size();
    int status = 0;
    bool exited = false;
    while (open > 0 && elapsedMs() < timeout * 1000) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            break;
        }
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr),
                                           &std::free);
        const xcb_window_t* children = tree ? xcb_query_tree_children(tree.get()) : nullptr;
        const int n = tree ? xcb_query_tree_children_length(tree.get()) : 0;
        for (int k = 0; k < n; ++k) {
            std::string name;
            bool nameRead = false;
            for (Wanted& w : wanted) {
                if (w.ms >= 0) {
                    continue;
                }
                if (!nameRead) {
                    name = windowName(c, netWmName, children[k]);
                    nameRead = true;
                }
                if (name != w.name || !viewable(c, children[k]) || (w.painted && !painted(c, children[k]))) {
                    continue;
                }
                w.ms = elapsedMs();
                --open;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const long peak = exited ? -1 : peakMemoryKiB(pid);
    for (const Wanted& w : wanted) {
        if (w.ms >= 0) {
            std::printf("%s %s %.1f\n", w.painted ? "painted" : "viewable", w.name.c_str(), w.ms);
        } else {
            std::printf("%s %s none\n", w.painted ? "painted" : "viewable", w.name.c_str());
        }
    }
    std::printf("peak-kib %ld\n", peak);
    if (!exited) {
        kill(pid, SIGTERM);
        for (int k = 0; k < 500 && waitpid(pid, &status, WNOHANG) == 0; ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (waitpid(pid, &status, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }
    xcb_disconnect(c);
    return open == 0 ? 0 : 1;
}
