#include "tests/support/pgserver.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/support/support.h"

namespace zorvik::test {

namespace fs = std::filesystem;

namespace {

// The newest installed server's programs (Debian keeps them out of PATH).
std::string serverPrograms() {
    std::string best;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const std::string bin = (e.path() / "bin").string();
        if (fs::exists(bin + "/initdb") &&
            (best.empty() ||
             std::stoi(e.path().filename().string()) > std::stoi(fs::path(best).parent_path().filename().string())))
            best = bin;
    }
    return best;
}

}  // namespace

PgServer::PgServer() {
    m_bin = serverPrograms();
    if (m_bin.empty()) {
        m_error = "no PostgreSQL server programs under /usr/lib/postgresql";
        return;
    }
    char folder[] = "/tmp/zorvik-pg-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        m_error = "cannot make a temporary folder";
        return;
    }
    m_dir = folder;
    // The server refuses to run as root: it runs as its own user, who must own its folder.
    if (geteuid() == 0) {
        const passwd* pw = getpwnam("postgres");
        if (pw == nullptr || chown(folder, pw->pw_uid, pw->pw_gid) != 0) {
            m_error = "no user postgres to run the server as";
            return;
        }
        m_asUser = "runuser -u postgres -- ";
    }
    std::string log;
    if (runCommand(
            m_asUser + m_bin + "/initdb -D " + m_dir + "/data -A trust -U postgres -E UTF8 --locale=C --no-sync 2>&1",
            &log) != 0) {
        m_error = "initdb failed: " + log;
        return;
    }
    if (runCommand(m_asUser + m_bin + "/pg_ctl -D " + m_dir + "/data -l " + m_dir + "/server.log -o \"-k " + m_dir +
                       " -c listen_addresses='' -c fsync=off\" -w -t 60 start 2>&1",
                   &log) != 0) {
        m_error = "the server did not start: " + log + readFile(m_dir + "/server.log");
        return;
    }
    // The first line of postmaster.pid is the server's process id.
    m_pid = std::atol(readFile(m_dir + "/data/postmaster.pid").c_str());
    if (m_pid <= 0) m_error = "the server left no process id";
}

PgServer::~PgServer() {
    if (!m_dir.empty() && fs::exists(m_dir + "/data/postmaster.pid"))
        runCommand(m_asUser + m_bin + "/pg_ctl -D " + m_dir + "/data -m immediate -w -t 30 stop >/dev/null 2>&1");
    if (m_pid > 0) {
        // pg_ctl left it to run on its own, so it is no child of ours to wait
        // for: watch its id until it is gone, and kill it if it lingers.
        for (int i = 0; i < 300 && kill(static_cast<pid_t>(m_pid), 0) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (kill(static_cast<pid_t>(m_pid), 0) == 0) kill(static_cast<pid_t>(m_pid), SIGKILL);
    }
    if (!m_dir.empty()) {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
}

std::string PgServer::uri() const {
    return "postgresql:///postgres?host=" + m_dir + "&user=postgres";
}

bool PgServer::run(const std::string& script, std::string* output) const {
    const std::string file = m_dir + "/script.sql";
    writeFile(file, script);
    std::string out;
    const int status = runCommand(
        m_bin + "/psql -X -q -v ON_ERROR_STOP=1 -h " + m_dir + " -U postgres -d postgres -f " + file + " 2>&1", &out);
    if (output != nullptr) *output = out;
    return status == 0;
}

}  // namespace zorvik::test
