#include "com_link.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace radio_sim {

namespace {

struct marker {
    long pid = 0;
    std::string line;
    unsigned long long inode = 0;
    long long ctime_s = 0, ctime_ns = 0;
};

std::string marker_path(const std::string& dir, int com) { return dir + "/.radio-sim-com" + std::to_string(com); }

std::string link_target(const std::string& path) {
    char buf[4096];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf);
    return n < 0 || n == sizeof buf ? std::string() : std::string(buf, static_cast<std::size_t>(n));
}

bool read_marker(const std::string& path, marker* m) {
    std::ifstream in(path);
    std::string tag;
    return in >> tag >> m->pid >> m->line >> m->inode >> m->ctime_s >> m->ctime_ns && tag == "radio-sim" &&
           m->pid > 0;
}

bool write_marker(const std::string& dir, int com, const std::string& link, const std::string& line) {
    struct stat st{};
    if (lstat(link.c_str(), &st) != 0) return false;
    std::ofstream out(marker_path(dir, com), std::ios::trunc);
    out << "radio-sim " << getpid() << ' ' << line << ' ' << st.st_ino << ' ' << st.st_ctim.tv_sec << ' '
        << st.st_ctim.tv_nsec << '\n';
    return static_cast<bool>(out.flush());
}

// A link counts as ours to replace only when every recorded fact still
// holds: the pid that made it is gone (a live process with that pid, ours
// or not, keeps it), it names the same line, and it is the very link that
// was made (same inode and change time), not one recreated since.
bool left_by_dead_radio_sim(const std::string& dir, int com, const std::string& link) {
    marker m;
    if (!read_marker(marker_path(dir, com), &m)) return false;
    if (kill(static_cast<pid_t>(m.pid), 0) == 0 || errno != ESRCH) return false;
    struct stat st{};
    if (lstat(link.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
    return link_target(link) == m.line && st.st_ino == m.inode && st.st_ctim.tv_sec == m.ctime_s &&
           st.st_ctim.tv_nsec == m.ctime_ns;
}

// Every radio-sim publishing or withdrawing in a folder holds its lock, so
// two of them never judge or replace the same link at once.
struct folder_lock {
    int fd;
    explicit folder_lock(const std::string& dir) : fd(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd >= 0) flock(fd, LOCK_EX);
    }
    ~folder_lock() {
        if (fd >= 0) close(fd);
    }
};

std::string describe(const std::string& link) {
    const std::string target = link_target(link);
    return target.empty() ? link : link + " -> " + target;
}

}  // namespace

publish_result publish_link(const std::string& dir, int wanted, const std::string& line, com_link* link,
                            std::string* message) {
    const folder_lock lock(dir);
    for (int n = wanted ? wanted : 1; n <= (wanted ? wanted : 256); ++n) {
        const std::string path = dir + "/com" + std::to_string(n);
        bool made = symlink(line.c_str(), path.c_str()) == 0;
        int error = made ? 0 : errno;
        if (error == EEXIST && left_by_dead_radio_sim(dir, n, path)) {
            std::fprintf(stderr, "radio-sim: replacing %s, left by a radio-sim that is gone\n",
                         describe(path).c_str());
            made = unlink(path.c_str()) == 0 && symlink(line.c_str(), path.c_str()) == 0;
            error = made ? 0 : errno;
        }
        if (made) {
            *link = {path, line, n};
            if (write_marker(dir, n, path, line)) return publish_result::published;
            *message = "cannot write " + marker_path(dir, n) + ": " + std::strerror(errno);
            unlink(path.c_str());
            return publish_result::failed;
        }
        if (error != EEXIST) {
            *message = "cannot create " + path + ": " + std::strerror(error);
            return publish_result::failed;
        }
        if (wanted) {
            *message = "COM" + std::to_string(n) + " is taken: " + describe(path) +
                       " is not a link that radio-sim left behind, so it stays as it is. "
                       "Choose another --com, or leave --com out to take the first free number.";
            return publish_result::taken;
        }
    }
    *message = "no free COM number in " + dir;
    return publish_result::taken;
}

void withdraw_link(const com_link& link) {
    if (link.path.empty()) return;
    const std::string dir = link.path.substr(0, link.path.rfind('/'));
    const folder_lock lock(dir);
    if (link_target(link.path) == link.line) unlink(link.path.c_str());
    marker m;
    const std::string marker_file = marker_path(dir, link.com);
    if (read_marker(marker_file, &m) && m.pid == getpid()) unlink(marker_file.c_str());
}

}  // namespace radio_sim
