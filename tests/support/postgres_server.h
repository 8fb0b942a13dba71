#pragma once

// A PostgreSQL server that a program starts for itself where the server
// programs (initdb, pg_ctl) and Qt's PostgreSQL driver are installed;
// elsewhere it says why it is not there.

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpServer>
#include <cstdlib>
#include <string>

#include "common/result.h"
#include "history/history_schema.h"

namespace tavrin::testing {

// A PostgreSQL server of its own for a test or benchmark program, in a
// temporary folder, on a port the OS picked; stopped when the program ends.
// As root it runs as the postgres user (PostgreSQL refuses root).
class PostgresServer {
  public:
    static PostgresServer& Get() {
        static PostgresServer server;
        return server;
    }
    // Empty when the server runs; else why it does not.
    const std::string& SkipReason() const { return m_skip; }
    int Port() const { return m_port; }

    // A new empty database on the server; why not when it cannot be made.
    Result<HistoryTarget> NewDatabase() {
        static int next = 0;
        const std::string name = "history" + std::to_string(++next);
        std::string failure;
        {
            QSqlDatabase admin =
                QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("pg-admin"));
            admin.setHostName(QStringLiteral("127.0.0.1"));
            admin.setPort(m_port);
            admin.setUserName(QStringLiteral("rat"));
            admin.setDatabaseName(QStringLiteral("postgres"));
            if (!admin.open()) {
                failure = admin.lastError().text().toStdString();
            } else {
                QSqlQuery q(admin);
                if (!q.exec(QString::fromStdString("CREATE DATABASE " + name)))
                    failure = q.lastError().text().toStdString();
                admin.close();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("pg-admin"));
        if (!failure.empty()) return Result<HistoryTarget>::Failure(failure);
        return ParseHistoryTarget("postgresql://rat@127.0.0.1:" + std::to_string(m_port) + "/" +
                                  name);
    }

    bool Stop() {
        return Control({QStringLiteral("stop"), QStringLiteral("-m"), QStringLiteral("fast")});
    }
    bool Start() {
        return Control({QStringLiteral("start"), QStringLiteral("-l"),
                        m_dir + QStringLiteral("/log"), QStringLiteral("-o"),
                        QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                            .arg(m_port)
                            .arg(m_dir)});
    }

    ~PostgresServer() {
        if (m_skip.empty()) Stop();
        if (!m_dir.isEmpty()) QDir(m_dir).removeRecursively();
    }

  private:
    PostgresServer() {
        const QString initdb = FindProgram(QStringLiteral("initdb"));
        m_pgCtl = FindProgram(QStringLiteral("pg_ctl"));
        if (initdb.isEmpty() || m_pgCtl.isEmpty()) {
            m_skip =
                "the PostgreSQL server programs (initdb, pg_ctl) are not installed "
                "(Debian package postgresql)";
            return;
        }
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
            m_skip = "the Qt SQL driver for PostgreSQL is not installed (libqt6sql6-psql)";
            return;
        }
        // PostgreSQL refuses to run as root: then it runs as the postgres
        // user the Debian package makes, in a folder that user owns.
        if (::geteuid() == 0) {
            if (Run(QStringLiteral("id"), {QStringLiteral("postgres")}) != 0) {
                m_skip = "running as root and there is no postgres user to run PostgreSQL as";
                return;
            }
            m_asUser = {QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")};
        }
        char tmpl[] = "/tmp/tavrin-pg-XXXXXX";
        m_dir = QString::fromLocal8Bit(::mkdtemp(tmpl));
        if (!m_asUser.isEmpty())
            QProcess::execute(QStringLiteral("chown"), {QStringLiteral("postgres:"), m_dir});
        {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost, 0);
            m_port = probe.serverPort();
        }
        if (Run(initdb, {QStringLiteral("-D"), m_dir + QStringLiteral("/data"),
                         QStringLiteral("-U"), QStringLiteral("rat"), QStringLiteral("-A"),
                         QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                         QStringLiteral("--locale=C"), QStringLiteral("-N")}) != 0) {
            m_skip = "initdb failed in " + m_dir.toStdString();
            return;
        }
        if (!Start())
            m_skip = "pg_ctl could not start the server (see " + m_dir.toStdString() + "/log)";
    }

    static QString FindProgram(const QString& name) {
        QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty()) return found;
        const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                         .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& v : versions) {
            const QString path =
                QStringLiteral("/usr/lib/postgresql/") + v + QStringLiteral("/bin/") + name;
            if (QFileInfo(path).isExecutable()) return path;
        }
        return {};
    }

    int Run(const QString& program, const QStringList& args) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (m_asUser.isEmpty())
            process.start(program, args);
        else
            process.start(QStringLiteral("runuser"), m_asUser + QStringList{program} + args);
        if (!process.waitForFinished(120000)) return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    bool Control(QStringList args) {
        return Run(m_pgCtl, QStringList{QStringLiteral("-D"), m_dir + QStringLiteral("/data"),
                                        QStringLiteral("-w")} +
                                args) == 0;
    }

    std::string m_skip;
    QString m_pgCtl;
    QStringList m_asUser;
    QString m_dir;
    int m_port = 0;
};

}  // namespace tavrin::testing
