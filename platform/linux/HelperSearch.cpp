#include "platform/linux/HelperSearch.h"

#include "config.h"
#include "protocol/BrokerFrame.h"

#include <algorithm>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

std::vector<std::string> HelperSearch::folders() {
    std::vector<std::string> folders;
    for (const std::string& folder : {folderOf(RESVMAN_SCHEDULE_TOOL_INSTALL_PATH),
                                      std::string(kPackageFolder), std::string(kLocalFolder)}) {
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(folder);
        }
    }
    return folders;
}

HelperSearch HelperSearch::inFolders(const std::vector<std::string>& folders) {
    HelperSearch search;
    for (const std::string& folder : folders) {
        const std::string tool = folder + "/" + broker::kToolFileName;
        const std::string brokerPath = folder + "/" + broker::kBrokerFileName;
        struct stat st {};
        if (lstat(tool.c_str(), &st) != 0 && lstat(brokerPath.c_str(), &st) != 0) {
            continue; // nothing installed here
        }
        trust::Verdict verdict = trust::checkFile(tool, trust::kRootOnly, true);
        if (verdict.ok()) {
            verdict = trust::checkFile(brokerPath, trust::kRootOnly, true);
        }
        if (verdict.ok()) {
            search.tool = tool;
            return search;
        }
        search.refused.push_back(verdict);
    }
    return search;
}

HelperSearch HelperSearch::installed() {
    if (geteuid() == 0) {
        char buffer[PATH_MAX];
        const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (n > 0) {
            HelperSearch beside =
                inFolders({folderOf(std::string(buffer, static_cast<std::size_t>(n)))});
            if (!beside.tool.empty()) {
                return beside;
            }
        }
    }
    return inFolders(folders());
}
