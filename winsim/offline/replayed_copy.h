// A dirty hive's logs replayed into a private temporary file that hivex opens
// in the place of the hive. The file loses its name in $TMPDIR as soon as it
// is made and is reached through its open descriptor: the program leaves no
// copy behind however it ends, by a signal too.
#pragma once

#include <memory>
#include <string>

#include "hive_base_block.h"
#include "winsim/offline_hives.h"

namespace winsim {

class ReplayedCopy {
  public:
    // The image in a new file under $TMPDIR (or /tmp) that no name leads to;
    // null with a reason when it cannot be written.
    static std::shared_ptr<ReplayedCopy> Write(const HiveBytes &image, std::wstring *reason);
    ~ReplayedCopy();
    ReplayedCopy(const ReplayedCopy &) = delete;
    ReplayedCopy &operator=(const ReplayedCopy &) = delete;

    // The copy while the hive file lacks what was replayed; the hive file
    // once it has been written with it.
    const std::string &SourceOf(const MountedHive &mounted) const;
    // The hive file now holds what was replayed: the copy goes.
    void Retire();

  private:
    explicit ReplayedCopy(int descriptor);
    int descriptor;
    std::string path;  // the descriptor's /proc path, which hivex opens; empty once retired
};

// The hive's logs replayed into a copy when the hive is dirty and they hold
// newer changes; mounted->replayed stays null otherwise. Notes what was
// replayed, where a log stopped early and a dirty hive read as it stands.
// False with a reason when the hive or a log cannot be read, the copy
// written, or the hive's base block is damaged and no log has a good copy.
bool ReplayIntoCopy(const std::string &hive, MountedHive *mounted, std::wstring *reason);

}  // namespace winsim
