#pragma once

// TLS to a manager's Admin Port, for every program that logs in to one as a
// remote admin: the certificate it trusts and how the socket checks the
// manager's.

#include <QList>
#include <QSslCertificate>
#include <QSslSocket>
#include <functional>
#include <string>

#include "common/result.h"

namespace tavrin {

// How a remote admin's connection is made: plain, or TLS trusting exactly
// the certificates of a --ca file, or TLS without any check (--insecure).
struct AdminTlsSettings {
    bool tls = false;
    QList<QSslCertificate> trusted;
    bool insecure = false;
};

// The PEM certificates of `path` (the --ca file); a failure says why, ready
// to follow "--ca PATH: ".
Result<QList<QSslCertificate>> ReadTrustedCertificates(const std::string& path);

// Sets `socket` up for `settings`. A certificate given with --ca is trusted
// as itself: when the manager shows exactly that one, the name in it need
// not match the address used (a self-signed certificate rarely names it).
// Each distinct TLS problem the socket meets goes to `problem` in words.
void ConfigureAdminTls(QSslSocket& socket, const AdminTlsSettings& settings,
                       std::function<void(std::string)> problem);

}  // namespace tavrin
