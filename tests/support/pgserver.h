// A throwaway PostgreSQL server for one test: a cluster of its own in a
// temporary folder, trust authentication, reachable only through a Unix socket
// in that folder (no TCP), stopped by its process id when the object goes.
#pragma once

#include <string>

namespace zorvik::test {

class PgServer {
public:
    PgServer();
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // False, with what went wrong, when the server did not start.
    bool ok() const { return m_pid > 0; }
    const std::string& error() const { return m_error; }
    // The folder holding the server's socket.
    const std::string& socketDir() const { return m_dir; }
    // A URI for the database "postgres" as its superuser, through the socket folder.
    std::string uri() const;
    // Runs an SQL script with psql; false (and the output in Output) on an error.
    bool run(const std::string& script, std::string* output = nullptr) const;

private:
    std::string m_bin;     // the server's programs
    std::string m_dir;     // the temporary folder: data/, the socket, logs
    std::string m_asUser;  // runs a command as the server's own user when we are root
    long m_pid = 0;        // the postmaster's
    std::string m_error;
};

}  // namespace zorvik::test
