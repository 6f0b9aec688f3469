// The shell over GIO: the freedesktop trash (a file on another mount goes
// to that mount's own trash folder) and desktop-entry launching. Programs
// get the file as an argument vector entry, never through a shell line.

#include <gio/gio.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <memory>

#include "platform/Shell.h"

namespace quenby {

namespace {

template <class T>
struct TUnref {
  void operator()(T* p) const { g_object_unref(p); }
};
template <class T>
using TGioPtr = std::unique_ptr<T, TUnref<T>>;

struct TErrorFree {
  void operator()(GError* e) const { g_error_free(e); }
};

int CodeOf(const GError* error) {
  if (!error || error->domain != G_IO_ERROR) return kShellFailure;
  switch (error->code) {
    case G_IO_ERROR_NOT_FOUND: return kShellNotFound;
    case G_IO_ERROR_PERMISSION_DENIED: return kShellAccessDenied;
    case G_IO_ERROR_NOT_SUPPORTED: return kShellNoAssociation;
    default: return kShellFailure;
  }
}

// A missing or unreadable file is reported as such before any program is
// looked for.
int CheckFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return kShellOk;
  return errno == EACCES ? kShellAccessDenied : kShellNotFound;
}

std::string ContentType(GFile* file) {
  GError* raw = nullptr;
  TGioPtr<GFileInfo> info(g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                            G_FILE_QUERY_INFO_NONE, nullptr, &raw));
  std::unique_ptr<GError, TErrorFree> error(raw);
  const char* type = info ? g_file_info_get_content_type(info.get()) : nullptr;
  return type ? type : "application/octet-stream";
}

int Launch(GAppInfo* app, GFile* file) {
  GList files{file, nullptr, nullptr};
  GError* raw = nullptr;
  const bool ok = g_app_info_launch(app, &files, nullptr, &raw);
  std::unique_ptr<GError, TErrorFree> error(raw);
  return ok ? kShellOk : CodeOf(error.get());
}

class TGioShell final : public IShell {
 public:
  bool Trash(const std::string& path) override {
    TGioPtr<GFile> file(g_file_new_for_path(path.c_str()));
    GError* raw = nullptr;
    const bool ok = g_file_trash(file.get(), nullptr, &raw);
    std::unique_ptr<GError, TErrorFree> error(raw);
    return ok;
  }

  int OpenDefault(const std::string& path) override {
    if (const int check = CheckFile(path); check != kShellOk) return check;
    TGioPtr<GFile> file(g_file_new_for_path(path.c_str()));
    TGioPtr<GAppInfo> app(g_app_info_get_default_for_type(ContentType(file.get()).c_str(), FALSE));
    if (!app) return kShellNoAssociation;
    return Launch(app.get(), file.get());
  }

  std::vector<TProgramChoice> ProgramsFor(const std::string& path) override {
    TGioPtr<GFile> file(g_file_new_for_path(path.c_str()));
    std::vector<TProgramChoice> choices;
    GList* all = g_app_info_get_all_for_type(ContentType(file.get()).c_str());
    for (GList* item = all; item; item = item->next) {
      auto* app = static_cast<GAppInfo*>(item->data);
      const char* id = g_app_info_get_id(app);
      const char* name = g_app_info_get_display_name(app);
      if (id) choices.push_back({id, name ? name : id});
    }
    g_list_free_full(all, g_object_unref);
    return choices;
  }

  int OpenWithProgram(const std::string& programId, const std::string& path) override {
    if (const int check = CheckFile(path); check != kShellOk) return check;
    TGioPtr<GFile> file(g_file_new_for_path(path.c_str()));
    int code = kShellNotFound;
    GList* all = g_app_info_get_all();
    for (GList* item = all; item; item = item->next) {
      auto* app = static_cast<GAppInfo*>(item->data);
      const char* id = g_app_info_get_id(app);
      if (id && programId == id) {
        code = Launch(app, file.get());
        break;
      }
    }
    g_list_free_full(all, g_object_unref);
    return code;
  }
};

std::atomic<IShell*> Installed{nullptr};

}  // namespace

IShell& Shell() {
  static TGioShell gio;
  IShell* shell = Installed.load();
  return shell ? *shell : gio;
}

void SetShell(IShell* shell) {
  Installed.store(shell);
}

}  // namespace quenby
