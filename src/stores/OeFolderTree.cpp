#include "stores/OeFolderTree.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>

#include "platform/CaseFold.h"
#include "platform/LegacyCodePage.h"
#include "settings/WideText.h"

namespace quenby {
namespace {

constexpr std::string_view kRootName = "Outlook Express";

struct TCloseCollator {
  void operator()(UCollator* collator) const { ucol_close(collator); }
};

std::u16string Folded(const std::string& utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  std::u16string folded(text.size() * 3 + 1, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length =
      u_strFoldCase(folded.data(), static_cast<int32_t>(folded.size()), text.data(),
                    static_cast<int32_t>(text.size()), U_FOLD_CASE_DEFAULT, &status);
  if (U_FAILURE(status)) return text;
  folded.resize(static_cast<std::size_t>(length));
  return folded;
}

// The user's collation of the case-folded names (some locales, the POSIX
// one among them, put every capital first even at secondary strength); one
// collator per thread, as ICU's are not shared.
int CompareNames(const std::string& a, const std::string& b) {
  thread_local const std::unique_ptr<UCollator, TCloseCollator> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCollator, TCloseCollator> opened(ucol_open(nullptr, &status));
    return U_FAILURE(status) ? nullptr : std::move(opened);
  }();
  const std::u16string wa = Folded(a), wb = Folded(b);
  if (!collator) return CompareTextFold(wa, wb);
  return ucol_strcoll(collator.get(), wa.data(), static_cast<int32_t>(wa.size()), wb.data(),
                      static_cast<int32_t>(wb.size()));
}

class TTreeBuilder {
 public:
  explicit TTreeBuilder(std::vector<std::unique_ptr<Toe5_FolderInfo>> records)
      : Records_(std::move(records)) {}

  TOeFolderNode Build() {
    TOeFolderNode top;
    const auto root = std::find_if(Records_.begin(), Records_.end(), [](const auto& r) {
      return r && r->FolderFile.empty() && SameTextUtf8(r->FolderName, kRootName);
    });
    if (root == Records_.end()) return top;
    top = MakeNode(std::move(*root));
    top.Info->FolderId = 0;
    Records_.erase(root);
    Records_.erase(std::remove(Records_.begin(), Records_.end(), nullptr), Records_.end());
    for (std::size_t i = 0; i < Records_.size() && i < kOeSpecialFolders; ++i)
      Specials_.push_back(Records_[i].get());
    if (!Records_.empty()) Records_.front()->ParentId = 0;
    AttachChildren(top);
    Sort(top);
    return top;  // what is left in Records_ has no parent and goes with it
  }

 private:
  static TOeFolderNode MakeNode(std::unique_ptr<Toe5_FolderInfo> info) {
    TOeFolderNode node;
    node.Name = LegacyToUtf8(info->FolderName);
    node.Info = std::move(info);
    return node;
  }

  void AttachChildren(TOeFolderNode& node) {
    const std::int32_t id = node.Info->FolderId;
    for (;;) {
      const auto child = std::find_if(Records_.begin(), Records_.end(),
                                      [id](const auto& r) { return r->ParentId == id; });
      if (child == Records_.end()) return;
      node.Children.push_back(MakeNode(std::move(*child)));
      Records_.erase(child);
      AttachChildren(node.Children.back());
    }
  }

  std::ptrdiff_t SpecialRank(const TOeFolderNode& node) const {
    const auto it = std::find(Specials_.begin(), Specials_.end(), node.Info.get());
    return it == Specials_.end() ? -1 : it - Specials_.begin();
  }

  void Sort(TOeFolderNode& node) {
    std::stable_sort(node.Children.begin(), node.Children.end(),
                     [this](const TOeFolderNode& a, const TOeFolderNode& b) {
                       const auto ra = SpecialRank(a), rb = SpecialRank(b);
                       if (ra >= 0 || rb >= 0) return ra >= 0 && (rb < 0 || ra < rb);
                       return CompareNames(a.Name, b.Name) < 0;
                     });
    for (auto& child : node.Children) Sort(child);
  }

  std::vector<std::unique_ptr<Toe5_FolderInfo>> Records_;
  std::vector<const Toe5_FolderInfo*> Specials_;
};

}  // namespace

TOeFolderNode BuildOeFolderTree(std::vector<std::unique_ptr<Toe5_FolderInfo>> records) {
  return TTreeBuilder(std::move(records)).Build();
}

const TOeFolderNode* FindOeFolder(const TOeFolderNode& tree, std::int32_t folderId) {
  if (tree.Info && tree.Info->FolderId == folderId) return &tree;
  for (const auto& child : tree.Children)
    if (const TOeFolderNode* found = FindOeFolder(child, folderId)) return found;
  return nullptr;
}

const TOeFolderNode* PendingOeFolder(const TOeFolderNode& tree, std::int32_t pendingId) {
  if (!tree.Info) return nullptr;
  if (pendingId > 0)
    if (const TOeFolderNode* found = FindOeFolder(tree, pendingId)) return found;
  if (tree.Children.empty() || tree.Children.front().Children.empty()) return nullptr;
  return &tree.Children.front().Children.front();
}

}  // namespace quenby
