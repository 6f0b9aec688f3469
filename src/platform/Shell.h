#pragma once
// The desktop shell: the trash, the program associated with a file, and the
// programs that can open it. Everything goes through IShell so that tests
// install a fake and never touch the user's trash or start a program.
//
// Results of the open calls are the shell's historical codes: 32 and above
// success, 2 file not found, 5 access denied, 29 failure, 31 no program
// associated with the file's type.

#include <string>
#include <vector>

namespace quenby {

inline constexpr int kShellOk = 33;
inline constexpr int kShellNotFound = 2;
inline constexpr int kShellAccessDenied = 5;
inline constexpr int kShellFailure = 29;
inline constexpr int kShellNoAssociation = 31;

struct TProgramChoice {
  std::string Id;    // the desktop entry's id
  std::string Name;  // for display
};

class IShell {
 public:
  virtual ~IShell() = default;
  // Moves the file or folder to the trash without asking; false when it
  // cannot be trashed (it is then never deleted for good instead).
  virtual bool Trash(const std::string& path) = 0;
  virtual int OpenDefault(const std::string& path) = 0;
  virtual std::vector<TProgramChoice> ProgramsFor(const std::string& path) = 0;
  virtual int OpenWithProgram(const std::string& programId, const std::string& path) = 0;
};

// The process's shell: GIO unless a test installed another. The installed
// shell must outlive its use; nullptr restores GIO.
IShell& Shell();
void SetShell(IShell* shell);

inline bool DeleteToRecycleBin(const std::string& path) {
  return Shell().Trash(path);
}

}  // namespace quenby
