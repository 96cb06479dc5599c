// SDL backend: a message box's window as the owner sees it.
// Supports: on X11, the box's window known by its process (_NET_WM_PID on
//           the top-level window or, under a reparenting window manager,
//           on the frame's child) when the root reports it mapped, and its
//           unmapping, both in order with the owner's input
//           (SDL_SYSWMEVENT); the focus given back to the owner when it
//           fell to the root or to nobody.
// Not supported: Wayland (the box is then known gone when its process
//           ends); boxes that set no _NET_WM_PID.
#include "platform/sdl/box_window.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform::sdl {
namespace {

int IgnoreError(Display*, XErrorEvent*) { return 0; }

// The windows looked at may go at any moment: their errors are dropped
// instead of ending the program through the default handler.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    before_ = XSetErrorHandler(IgnoreError);
  }
  ~ErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(before_);
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

 private:
  Display* display_;
  XErrorHandler before_ = nullptr;
};

bool HasPid(Display* display, Window window, Atom pidAtom, pid_t pid) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool read = XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type,
                                       &format, &count, &after, &data) == Success;
  const bool same = read && data && type == XA_CARDINAL && format == 32 && count == 1 &&
                    *reinterpret_cast<unsigned long*>(data) == static_cast<unsigned long>(pid);
  if (data) XFree(data);
  return same;
}

// Whether the top-level window (or window manager frame) belongs to pid.
bool BelongsTo(Display* display, Window top, pid_t pid) {
  ErrorTrap trap(display);
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  if (HasPid(display, top, pidAtom, pid)) return true;
  Window root = 0, parent = 0;
  Window* inner = nullptr;
  unsigned int count = 0;
  bool found = false;
  if (XQueryTree(display, top, &root, &parent, &inner, &count)) {
    for (unsigned int i = 0; i < count && !found; ++i)
      found = HasPid(display, inner[i], pidAtom, pid);
  }
  if (inner) XFree(inner);
  return found;
}

}  // namespace

BoxWindow::BoxWindow(SDL_Window* owner) : owner_(owner) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!owner || !SDL_GetWindowWMInfo(owner, &info) || info.subsystem != SDL_SYSWM_X11) return;
  auto* display = info.info.x11.display;
  display_ = display;
  XWindowAttributes root;
  XGetWindowAttributes(display, DefaultRootWindow(display), &root);
  rootEventsBefore_ = root.your_event_mask;
  XSelectInput(display, DefaultRootWindow(display), rootEventsBefore_ | SubstructureNotifyMask);
  XSync(display, False);  // in force before the box's process can map a window
  wmEventsBefore_ = SDL_EventState(SDL_SYSWMEVENT, SDL_QUERY);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

BoxWindow::~BoxWindow() {
  if (!display_) return;
  auto* display = static_cast<Display*>(display_);
  XSelectInput(display, DefaultRootWindow(display), rootEventsBefore_);
  XFlush(display);
  SDL_EventState(SDL_SYSWMEVENT, wmEventsBefore_);
}

bool BoxWindow::IsGoneEvent(const SDL_Event& event) {
  if (!display_ || event.type != SDL_SYSWMEVENT || !event.syswm.msg ||
      event.syswm.msg->subsystem != SDL_SYSWM_X11)
    return false;
  auto* display = static_cast<Display*>(display_);
  const XEvent& x = event.syswm.msg->msg.x11.event;
  const Window root = DefaultRootWindow(display);
  if (x.type == MapNotify && x.xmap.event == root && !window_ && pid_ > 0 &&
      BelongsTo(display, x.xmap.window, pid_))
    window_ = x.xmap.window;
  return window_ && ((x.type == UnmapNotify && x.xunmap.window == window_) ||
                     (x.type == DestroyNotify && x.xdestroywindow.window == window_));
}

void BoxWindow::ReturnFocus() const {
  if (!display_) return;
  auto* display = static_cast<Display*>(display_);
  Window focus = None;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  if (focus != None && focus != PointerRoot && focus != DefaultRootWindow(display)) return;
  SDL_RaiseWindow(owner_);
  SDL_SetWindowInputFocus(owner_);
}

}  // namespace platform::sdl
