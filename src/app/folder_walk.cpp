#include "app/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace tagshifter {

namespace {

struct CloseFolder {
    void operator()(DIR* folder) const { closedir(folder); }
};
using Folder = std::unique_ptr<DIR, CloseFolder>;

bool isMp3Name(const std::string& name)
{
    static const char kSuffix[] = ".mp3";
    if (name.size() < sizeof kSuffix)  // a name that is only the suffix is hidden, not an MP3
        return false;
    return std::equal(name.end() - 4, name.end(), kSuffix, [](char c, char lower) {
        return std::tolower(static_cast<unsigned char>(c)) == lower;
    });
}

// `descriptor` is a folder open for reading, owned from here on; `path`
// names it for the file list.
void walk(int descriptor, const std::string& path, std::vector<std::string>& files)
{
    const Folder folder(fdopendir(descriptor));
    if (!folder) {
        close(descriptor);
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(folder.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    const std::string prefix = path.back() == '/' ? path : path + "/";
    for (const std::string& name : names) {
        struct stat status {};
        if (fstatat(dirfd(folder.get()), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISREG(status.st_mode) && isMp3Name(name)) {
            files.push_back(prefix + name);
        } else if (S_ISDIR(status.st_mode)) {
            // O_NOFOLLOW: a folder swapped for a link since the look is not entered.
            const int sub = openat(dirfd(folder.get()), name.c_str(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0)
                walk(sub, prefix + name, files);
        }
    }
}

}  // namespace

std::vector<std::string> expandFolders(const std::vector<std::string>& operands)
{
    std::vector<std::string> files;
    for (const std::string& operand : operands) {
        const int folder = open(operand.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
        if (folder < 0)
            files.push_back(operand);
        else
            walk(folder, operand, files);
    }
    return files;
}

}  // namespace tagshifter
