// File panels: a window of our own listing one folder, with a name to type and two buttons.
#include <X11Host/X11Canvas.h>

#include <X11/keysym.h>
#include <dirent.h>
#include <limits.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace BrindleHost {

namespace {

const int kWidth = 460, kHeight = 340, kRow = 20, kMargin = 10;
const RECT kList = {kMargin, 32, kWidth - kMargin, 32 + 10 * kRow};
const RECT kField = {70, 252, kWidth - kMargin, 276};
const RECT kOkButton = {kWidth - kMargin - 90, 296, kWidth - kMargin, 322};
const RECT kCancelButton = {kWidth - kMargin - 190, 296, kWidth - kMargin - 100, 322};

bool In(const RECT& r, int x, int y)
{
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool IsDirectory(const std::string& path)
{
  struct stat s;
  return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool IsFile(const std::string& path)
{
  struct stat s;
  return stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

std::string Extension(const std::string& name)
{
  const size_t dot = name.rfind('.');
  const size_t slash = name.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot + 1 == name.size()) return "";
  return name.substr(dot + 1);
}

bool TypeAllowed(const PanelRequest& request, const std::string& name)
{
  if (request.mAllowedTypes.empty()) return true;
  const std::string ext = Extension(name);
  for (const std::string& type : request.mAllowedTypes)
    if (strcasecmp(type.c_str(), ext.c_str()) == 0) return true;
  return false;
}

std::string Canonical(const std::string& path)
{
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

class FilePanel
{
public:
  FilePanel(X11Backend& backend, const PanelRequest& request)
      : mBackend(backend), mRequest(request), mName(request.mFile)
  {
    char cwd[PATH_MAX] = "/";
    if (!getcwd(cwd, sizeof(cwd))) cwd[0] = '/', cwd[1] = 0;
    Enter(IsDirectory(request.mDirectory) ? request.mDirectory : cwd);
  }

  bool Run(std::string* path)
  {
    const CGSize screen = mBackend.DisplaySize();
    X11Canvas canvas(mBackend, (static_cast<int>(screen.width) - kWidth) / 2,
                     (static_cast<int>(screen.height) - kHeight) / 3, kWidth, kHeight, false,
                     mRequest.mSave ? "Save" : "Open");
    mCanvas = &canvas;
    canvas.Map();
    for (;;) {
      XEvent e;
      if (!mBackend.NextModalEvent({canvas.XWindow()}, &e)) return false;
      switch (e.type) {
      case Expose:
        if (e.xexpose.count == 0) Draw();
        break;
      case MapNotify:
        XSetInputFocus(mBackend.XDisplay(), canvas.XWindow(), RevertToParent, CurrentTime);
        break;
      case ButtonPress: {
        const XButtonEvent& b = e.xbutton;
        if (b.button == Button4 || b.button == Button5) {
          Scroll(b.button == Button4 ? -3 : 3);
        } else if (b.button == Button1) {
          const long clicks = mClicks.Press(b.button, b.time, b.x, b.y);
          if (In(kOkButton, b.x, b.y) && Accept(path)) return true;
          if (In(kCancelButton, b.x, b.y)) return false;
          if (In(kList, b.x, b.y) && Click((b.y - kList.top) / kRow + mTop, clicks, path)) return true;
        }
        Draw();
        break;
      }
      case KeyPress:
        if (Key(e.xkey, path, &mDone)) return mDone;
        Draw();
        break;
      default:
        if (mBackend.IsCloseRequest(e)) return false;
        break;
      }
    }
  }

private:
  void Enter(const std::string& folder)
  {
    mFolder = Canonical(folder);
    mEntries.clear();
    mSelected = -1;
    mTop = 0;
    std::vector<std::string> folders, files;
    if (DIR* d = opendir(mFolder.c_str())) {
      while (dirent* entry = readdir(d)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;
        const std::string full = Join(name);
        if (IsDirectory(full))
          folders.push_back(name + "/");
        else if (TypeAllowed(mRequest, name) || (mRequest.mSave && mRequest.mAllowsOtherFileTypes))
          files.push_back(name);
      }
      closedir(d);
    }
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());
    if (mFolder != "/") mEntries.push_back("../");
    mEntries.insert(mEntries.end(), folders.begin(), folders.end());
    mEntries.insert(mEntries.end(), files.begin(), files.end());
  }

  std::string Join(const std::string& name) const
  {
    if (!name.empty() && name[0] == '/') return name;
    return mFolder == "/" ? "/" + name : mFolder + "/" + name;
  }

  void Scroll(int rows)
  {
    const int visible = (kList.bottom - kList.top) / kRow;
    mTop = std::max(0, std::min(mTop + rows, static_cast<int>(mEntries.size()) - visible));
  }

  // A click on the list: select; a double click opens a folder or takes a file.
  bool Click(int index, long clicks, std::string* path)
  {
    if (index < 0 || index >= static_cast<int>(mEntries.size())) return false;
    mSelected = index;
    const std::string& entry = mEntries[static_cast<size_t>(index)];
    const bool folder = entry.back() == '/';
    if (!folder) mName = entry;
    if (clicks < 2) return false;
    if (folder) {
      Enter(Join(entry));
      return false;
    }
    return Accept(path);
  }

  bool Key(XKeyEvent& key, std::string* path, bool* accepted)
  {
    char typed[16] = {};
    KeySym sym = 0;
    const int n = XLookupString(&key, typed, sizeof(typed) - 1, &sym, nullptr);
    if (sym == XK_Escape) return *accepted = false, true;
    if (sym == XK_Return || sym == XK_KP_Enter) return (*accepted = Accept(path));
    if (sym == XK_BackSpace) {
      while (!mName.empty() && (static_cast<unsigned char>(mName.back()) & 0xC0) == 0x80) mName.pop_back();
      if (!mName.empty()) mName.pop_back();
    } else if (sym == XK_Up || sym == XK_Down) {
      const int count = static_cast<int>(mEntries.size());
      if (count) mSelected = std::max(0, std::min(count - 1, mSelected + (sym == XK_Down ? 1 : -1)));
      if (mSelected >= 0 && mEntries[static_cast<size_t>(mSelected)].back() != '/')
        mName = mEntries[static_cast<size_t>(mSelected)];
    } else if (n == 1 && static_cast<unsigned char>(typed[0]) >= 0x20 && typed[0] != 0x7F) {
      const unsigned char c = static_cast<unsigned char>(typed[0]); // Latin-1 to UTF-8
      if (c < 0x80)
        mName += static_cast<char>(c);
      else
        mName += static_cast<char>(0xC0 | (c >> 6)), mName += static_cast<char>(0x80 | (c & 0x3F));
    }
    return false;
  }

  // True with the chosen path; a folder named in the field is opened instead.
  bool Accept(std::string* path)
  {
    std::string name = mName;
    if (name.empty() && mSelected >= 0 && mEntries[static_cast<size_t>(mSelected)].back() == '/')
      name = mEntries[static_cast<size_t>(mSelected)];
    if (name.empty()) return Refuse();
    std::string full = Join(name);
    if (IsDirectory(full) && !(mRequest.mCanChooseDirectories && !mRequest.mSave)) {
      Enter(full);
      mName.clear();
      return false;
    }
    if (mRequest.mSave) {
      const size_t slash = full.rfind('/');
      if (full.back() == '/' || !IsDirectory(slash == 0 ? "/" : full.substr(0, slash))) return Refuse();
      if (!mRequest.mAllowsOtherFileTypes && !TypeAllowed(mRequest, full)) full += "." + mRequest.mAllowedTypes[0];
    } else {
      const bool ok = (IsFile(full) && mRequest.mCanChooseFiles && TypeAllowed(mRequest, full)) ||
                      (IsDirectory(full) && mRequest.mCanChooseDirectories);
      if (!ok) return Refuse();
    }
    *path = full;
    return true;
  }

  bool Refuse()
  {
    XBell(mBackend.XDisplay(), 0);
    return false;
  }

  void Draw()
  {
    X11Canvas& c = *mCanvas;
    const int line = TEXT_SINGLELINE | TEXT_VCENTER;
    c.Fill({0, 0, kWidth, kHeight}, kPanelColour);
    c.Text({kMargin, 6, kWidth - kMargin, 28}, mFolder, kTextColour, line, true);
    c.Fill(kList, kFieldColour);
    c.Frame(kList, kEdgeColour);
    const int visible = (kList.bottom - kList.top) / kRow;
    for (int i = 0; i < visible && mTop + i < static_cast<int>(mEntries.size()); ++i) {
      const RECT row = {kList.left + 1, kList.top + i * kRow, kList.right - 1, kList.top + (i + 1) * kRow};
      const bool selected = mTop + i == mSelected;
      if (selected) c.Fill(row, kHighlightColour);
      c.Text({row.left + 6, row.top, row.right, row.bottom}, mEntries[static_cast<size_t>(mTop + i)],
             selected ? GDI_RGB(255, 255, 255) : kTextColour, line);
    }
    c.Text({kMargin, kField.top, kField.left - 6, kField.bottom}, "Name:", kTextColour, line);
    c.Fill(kField, kFieldColour);
    c.Frame(kField, kHighlightColour);
    c.Text({kField.left + 4, kField.top, kField.right - 4, kField.bottom}, mName + "|", kTextColour, line);
    for (const RECT* b : {&kCancelButton, &kOkButton}) {
      c.Fill(*b, b == &kOkButton ? GDI_RGB(210, 225, 250) : kFieldColour);
      c.Frame(*b, b == &kOkButton ? kHighlightColour : kEdgeColour);
      c.Text(*b, b == &kCancelButton ? "Cancel" : mRequest.mSave ? "Save" : "Open", kTextColour, line | TEXT_CENTER);
    }
    c.Present();
  }

  X11Backend& mBackend;
  PanelRequest mRequest;
  X11Canvas* mCanvas = nullptr;
  std::string mFolder, mName;
  std::vector<std::string> mEntries;
  int mSelected = -1, mTop = 0;
  ClickCounter mClicks;
  bool mDone = false;
};

} // namespace

bool X11Backend::RunPanel(const PanelRequest& request, std::string* path)
{
  FilePanel panel(*this, request);
  std::string chosen;
  if (!panel.Run(&chosen)) return false;
  *path = chosen;
  return true;
}

} // namespace BrindleHost
