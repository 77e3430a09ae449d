#include "wow64_view.h"

#include "../machine.h"

namespace winsim {
namespace {

const wchar_t WOW64_NODE[] = L"Wow6432Node";

enum Sharing { SHARED, REDIRECTED };

struct ViewRule {
    const wchar_t *path;  // under HKLM\SOFTWARE, or under the Classes keys
    Sharing sharing;
};

// Windows' own list: HKLM\SOFTWARE is redirected except for these keys.
const ViewRule softwareRules[] = {
    {L"Classes", SHARED},
    {L"Clients", SHARED},
    {L"Microsoft\\COM3", SHARED},
    {L"Microsoft\\Cryptography\\Calais\\Current", SHARED},
    {L"Microsoft\\Cryptography\\Calais\\Readers", SHARED},
    {L"Microsoft\\Cryptography\\Services", SHARED},
    {L"Microsoft\\CTF\\SystemShared", SHARED},
    {L"Microsoft\\CTF\\TIP", SHARED},
    {L"Microsoft\\DFS", SHARED},
    {L"Microsoft\\Driver Signing", SHARED},
    {L"Microsoft\\EnterpriseCertificates", SHARED},
    {L"Microsoft\\EventSystem", SHARED},
    {L"Microsoft\\MSMQ", SHARED},
    {L"Microsoft\\Non-Driver Signing", SHARED},
    {L"Microsoft\\Notepad\\DefaultFonts", SHARED},
    {L"Microsoft\\OLE", SHARED},
    {L"Microsoft\\RAS", SHARED},
    {L"Microsoft\\RPC", SHARED},
    {L"Microsoft\\SOFTWARE\\Microsoft\\Shared Tools\\MSInfo", SHARED},
    {L"Microsoft\\SystemCertificates", SHARED},
    {L"Microsoft\\TermServLicensing", SHARED},
    {L"Microsoft\\Transaction Server", SHARED},
    {L"Microsoft\\Windows\\CurrentVersion\\App Paths", SHARED},
    {L"Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cursors\\Schemes", SHARED},
    {L"Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers", SHARED},
    {L"Microsoft\\Windows\\CurrentVersion\\Explorer\\DriveIcons", SHARED},
    {L"Microsoft\\Windows\\CurrentVersion\\Explorer\\KindMap", SHARED},
    {L"Microsoft\\Windows\\CurrentVersion\\Group Policy", SHARED},
    {L"Microsoft\\Windows\\CurrentVersion\\Policies", SHARED},
    {L"Microsoft\\Windows\\CurrentVersion\\PreviewHandlers", SHARED},
    {L"Microsoft\\Windows\\CurrentVersion\\Setup", SHARED},
    {L"Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\Console", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\FontDpi", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\FontLink", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\FontMapper", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\Fonts", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\Gre_Initialize", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\LanguagePack", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\NetworkCards", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\Perflib", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\Ports", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\Print", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\ProfileList", SHARED},
    {L"Microsoft\\Windows NT\\CurrentVersion\\Time Zones", SHARED},
    {L"Policies", SHARED},
    {L"RegisteredApplications", SHARED},
};

// Under HKLM\SOFTWARE\Classes and the user's Software\Classes, shared but
// for these, which go to Classes\Wow6432Node.
const ViewRule classesRules[] = {
    {L"CLSID", REDIRECTED},      {L"DirectShow", REDIRECTED},      {L"Interface", REDIRECTED},
    {L"Media Type", REDIRECTED}, {L"MediaFoundation", REDIRECTED}, {L"TypeLib", REDIRECTED},
};

bool StartsWith(const KeyPath &path, size_t from, const KeyPath &prefix)
{
    if (path.size() - from < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (!SameName(path[from + i], prefix[i]))
            return false;
    return true;
}

struct SplitRule {
    KeyPath prefix;
    Sharing sharing;
};

// The rules with their paths split once, for every registry call to use.
template <size_t N> std::vector<SplitRule> Split(const ViewRule (&rules)[N])
{
    std::vector<SplitRule> split;
    for (const ViewRule &rule : rules)
        split.push_back(SplitRule{SplitPath(rule.path), rule.sharing});
    return split;
}

const SplitRule *MatchingRule(const std::vector<SplitRule> &rules, const KeyPath &path, size_t from)
{
    const SplitRule *best = nullptr;
    for (const SplitRule &rule : rules)
        if ((!best || rule.prefix.size() > best->prefix.size()) && StartsWith(path, from, rule.prefix))
            best = &rule;
    return best;
}

KeyPath InsertNode(const KeyPath &path, size_t at)
{
    KeyPath redirected = path;
    redirected.insert(redirected.begin() + static_cast<long>(at), WOW64_NODE);
    return redirected;
}

// path[at] is the first name below a Classes key.
KeyPath ClassesView(const KeyPath &path, size_t at)
{
    if (path.size() <= at || SameName(path[at], WOW64_NODE))
        return path;
    static const std::vector<SplitRule> rules = Split(classesRules);
    const SplitRule *rule = MatchingRule(rules, path, at);
    return rule && rule->sharing == REDIRECTED ? InsertNode(path, at) : path;
}

}  // namespace

KeyPath ViewPath(const KeyPath &path, REGSAM sam)
{
    if (TheMachine().kind != MachineKind::Windows64 || (sam & KEY_WOW64_64KEY))
        return path;
    if (StartsWith(path, 0, {L"MACHINE", L"SOFTWARE"})) {
        const size_t below = 2;
        if (path.size() > below && SameName(path[below], WOW64_NODE))
            return path;
        if (path.size() > below && SameName(path[below], L"Classes"))
            return ClassesView(path, below + 1);
        static const std::vector<SplitRule> rules = Split(softwareRules);
        const SplitRule *rule = MatchingRule(rules, path, below);
        return rule && rule->sharing == SHARED ? path : InsertNode(path, below);
    }
    if (path.size() >= 4 && SameName(path[0], L"USER") && StartsWith(path, 2, {L"Software", L"Classes"}))
        return ClassesView(path, 4);
    return path;
}

}  // namespace winsim
