// The end of a report: what a removal would delete, by hive and profile, with
// counts, short enough to read in a minute; the report above has every line.
#include <cstdio>
#include <cwchar>
#include <map>

#include "offline_program.h"
#include "record/findings.h"
#include "winsim/utf8.h"

namespace offline {
namespace {

// Items named in each group; the rest are counted.
const size_t ITEMS_NAMED = 8;
const wchar_t *const KEPT_FOLDERS[] = {L"%CommonProgramFiles%\\Vexa Lune", L"%CommonProgramW6432%\\Vexa Lune",
                                       L"%CommonProgramFiles(x86)%\\Vexa Lune"};

struct Group {
    std::wstring title;
    std::vector<const Finding *> items;
};

std::string Utf8(const std::wstring &text)
{
    return winsim::EncodeUtf8(text.c_str());
}

// Whether path is prefix itself or below it, in any case of letters.
bool Below(const std::wstring &path, const std::wstring &prefix)
{
    return path.size() >= prefix.size() && _wcsnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0 &&
           (path.size() == prefix.size() || path[prefix.size()] == L'\\');
}

// A key's path as the undo file writes it, for the place a hive is mounted at.
std::wstring KeyPathOf(const winsim::MountedHive &mounted)
{
    return (mounted.path[0] == L"MACHINE" ? L"HKEY_LOCAL_MACHINE\\" : L"HKEY_USERS\\") + mounted.path[1];
}

std::wstring HiveTitle(const winsim::MountedHive &mounted, const std::vector<Profile> &profiles)
{
    std::wstring title = L"Registry, hive " + winsim::DecodeUtf8(mounted.file.c_str());
    for (const Profile &profile : profiles)
        if (mounted.path[0] == L"USER" &&
            (mounted.path[1] == profile.sid || mounted.path[1] == profile.sid + L"_Classes"))
            title += L" (profile " + profile.sid + L")";
    return title;
}

bool IsKept(const Finding &finding)
{
    for (const wchar_t *folder : KEPT_FOLDERS) {
        wchar_t expanded[1024];
        DWORD length = ExpandEnvironmentStringsW(folder, expanded, 1024);
        if (finding.kind == FOUND_FOLDER && length && length <= 1024 && !std::wcschr(expanded, L'%') &&
            _wcsicmp(expanded, finding.path.c_str()) == 0)
            return true;
    }
    return false;
}

std::wstring Describe(const Finding &finding)
{
    switch (finding.kind) {
    case FOUND_KEY:
        return finding.path;
    case FOUND_VALUE:
        return finding.path + L"  value \"" + finding.name + L"\"";
    case FOUND_LIST_ENTRY:
        return finding.path + L"  \"" + finding.entry + L"\" in the list \"" + finding.name + L"\"";
    default:
        return finding.path;
    }
}

std::string Counts(const Group &group)
{
    static const char *const NAMES[][2] = {
        {"key", "keys"},   {"value", "values"},   {"list entry", "list entries"},
        {"file", "files"}, {"folder", "folders"}, {"driver package", "driver packages"}};
    size_t counts[6] = {};
    for (const Finding *finding : group.items)
        ++counts[finding->kind];
    std::string text;
    for (size_t kind = 0; kind < 6; ++kind)
        if (counts[kind])
            text += (text.empty() ? "" : ", ") + std::to_string(counts[kind]) + " " + NAMES[kind][counts[kind] > 1];
    return text;
}

void PrintGroup(const Group &group)
{
    std::printf("  %s: %s\n", Utf8(group.title).c_str(), Counts(group).c_str());
    for (size_t i = 0; i < group.items.size() && i < ITEMS_NAMED; ++i)
        std::printf("    %s\n", Utf8(Describe(*group.items[i])).c_str());
    if (group.items.size() > ITEMS_NAMED)
        std::printf("    ... and %zu more, each in the report above\n", group.items.size() - ITEMS_NAMED);
}

}  // namespace

void PrintFindings(const std::vector<winsim::MountedHive> &mounts, const std::vector<Profile> &profiles)
{
    std::vector<Group> groups(mounts.size());
    for (size_t i = 0; i < mounts.size(); ++i)
        groups[i].title = HiveTitle(mounts[i], profiles);
    Group files{L"Files and folders on the volume (drive C:)", {}};
    Group packages{L"Driver packages", {}};
    Group kept{L"Kept on purpose (a removal leaves it)", {}};
    Group elsewhere{L"Registry, elsewhere", {}};
    for (const Finding &finding : Findings()) {
        Group *group = &elsewhere;
        if (IsKept(finding)) {
            group = &kept;
        } else if (finding.kind == FOUND_FILE || finding.kind == FOUND_FOLDER) {
            group = &files;
        } else if (finding.kind == FOUND_DRIVER_PACKAGE) {
            group = &packages;
        } else {
            // The longest mount point wins: a user's classes over the user.
            size_t best = 0;
            for (size_t i = 0; i < mounts.size(); ++i) {
                std::wstring prefix = KeyPathOf(mounts[i]);
                if (Below(finding.path, prefix) && prefix.size() > best) {
                    best = prefix.size();
                    group = &groups[i];
                }
            }
        }
        group->items.push_back(&finding);
    }
    groups.push_back(elsewhere);
    groups.push_back(files);
    groups.push_back(packages);
    size_t found = 0;
    for (const Group &group : groups)
        found += group.items.size();
    if (found)
        std::printf("\nWhat a removal would delete (%zu items; keys with everything below them):\n", found);
    else
        std::printf("\nWhat a removal would delete: nothing, the products are not on this volume.\n");
    for (const Group &group : groups)
        if (!group.items.empty())
            PrintGroup(group);
    if (!kept.items.empty())
        PrintGroup(kept);
}

bool FoundProducts()
{
    for (const Finding &finding : Findings())
        if (!IsKept(finding))
            return true;
    return false;
}

}  // namespace offline
