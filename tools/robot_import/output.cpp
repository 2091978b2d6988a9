// Messages, and the safe writing of an output file: checked against its input first, written
// to a temporary file beside it, and renamed into place only when complete.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "robot_import.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// Permissions of a new output file before the umask: readable and writable by all, as a file
// made by an ordinary redirection would be.
constexpr mode_t outputPermissions = 0666;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

std::string directoryOf(const std::string &path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string &path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The permissions a new file gets under the process's umask.
mode_t permissionsUnderUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return outputPermissions & ~mask;
}

bool writeAll(int fd, const std::string &bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

} // namespace

std::string withCommas(long long count) {
    std::string digits = std::to_string(count < 0 ? -count : count);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<size_t>(at), ",");
    }
    return count < 0 ? "-" + digits : digits;
}

std::string counted(long long count, const char *one, const char *many) {
    return withCommas(count) + " " + (count == 1 ? one : many);
}

void complain(const std::string &message) {
    std::fprintf(stderr, "%s: %s\n", programName, message.c_str());
}

bool checkInputAndOutput(const std::string &input, const std::string &output) {
    struct stat in {};
    if (stat(input.c_str(), &in) != 0) {
        complain(input + ": " + std::strerror(errno));
        return false;
    }
    if (!S_ISREG(in.st_mode)) {
        complain(input + ": not a regular file");
        return false;
    }
    if (access(input.c_str(), R_OK) != 0) {
        complain(input + ": " + std::strerror(errno));
        return false;
    }
    struct stat out {};
    if (stat(output.c_str(), &out) == 0) {
        // The same file under another name (or a link to it): writing would destroy the input.
        if (out.st_dev == in.st_dev && out.st_ino == in.st_ino) {
            complain(output + ": is the input file itself; give another output name with -o");
            return false;
        }
        if (S_ISDIR(out.st_mode)) {
            complain(output + ": is a directory; give a file name with -o");
            return false;
        }
    }
    return true;
}

bool writeOutput(const std::string &path, const std::string &bytes) {
    // A hidden name beside the output, so that the rename stays within one file system.
    std::string temporary = directoryOf(path) + "/." + fileNameOf(path) + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        complain(path + ": cannot write in its directory: " + std::strerror(errno));
        return false;
    }
    const bool written = fchmod(fd, permissionsUnderUmask()) == 0 && writeAll(fd, bytes);
    const int writeError = errno;
    if (close(fd) != 0 || !written) {
        const int error = written ? errno : writeError;
        unlink(temporary.c_str());
        complain(path + ": cannot write: " + std::strerror(error));
        return false;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        complain(path + ": cannot write: " + std::strerror(error));
        return false;
    }
    return true;
}
