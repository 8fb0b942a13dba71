#include "remote/qt/admin_tls.h"

#include <QFile>
#include <QSslConfiguration>
#include <QSslError>
#include <utility>

namespace tavrin {

Result<QList<QSslCertificate>> ReadTrustedCertificates(const std::string& path) {
    const QString file = QString::fromLocal8Bit(path.c_str());
    using Trusted = Result<QList<QSslCertificate>>;
    if (!QFile::exists(file)) return Trusted::Failure("no such file");
    QList<QSslCertificate> trusted = QSslCertificate::fromPath(file, QSsl::Pem);
    if (trusted.isEmpty()) return Trusted::Failure("no PEM certificate in it");
    return Trusted::Success(std::move(trusted));
}

void ConfigureAdminTls(QSslSocket& socket, const AdminTlsSettings& settings,
                       std::function<void(std::string)> problem) {
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    if (settings.insecure) {
        config.setPeerVerifyMode(QSslSocket::VerifyNone);
    } else if (!settings.trusted.isEmpty()) {
        config.setCaCertificates(settings.trusted);
        QList<QSslError> expected;
        for (const QSslCertificate& c : settings.trusted)
            expected.append(QSslError(QSslError::HostNameMismatch, c));
        socket.ignoreSslErrors(expected);
    }
    socket.setSslConfiguration(config);
    QObject::connect(&socket, &QSslSocket::sslErrors, &socket,
                     [problem = std::move(problem)](const QList<QSslError>& errors) {
                         for (const QSslError& e : errors)
                             if (problem) problem(e.errorString().toLocal8Bit().toStdString());
                     });
}

}  // namespace tavrin
