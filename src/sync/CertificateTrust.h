#pragma once

#include <QDateTime>
#include <QString>

// What a server's certificate, as far as the sync is concerned, is missing.
enum class TCertificateProblem {
    None,
    Untrusted, // self-signed or from an issuer the system does not know: the user may trust it
    Expired,
    NotYetValid,
    OtherHost, // made out for another server
    Revoked,
    Other,
};

// A server's certificate as the user sees it before trusting it.
struct TCertificateInfo
{
    QString Host; // lower case, as in the address
    int Port = 443;
    QString Fingerprint; // SHA-256 as hex pairs, "AB:01:…"
    QString Subject;
    QString Issuer;
    QDateTime ValidFrom;
    QDateTime ValidTo;
};

// Why a connection was refused: the certificate and what is wrong with it.
struct TCertificateRefusal
{
    TCertificateProblem Problem = TCertificateProblem::None;
    TCertificateInfo Certificate;
    QString Names; // the servers the certificate is made out for, for OtherHost
    QString Reason; // the TLS library's own words, for Other
};

enum class TTrustAnswer { Refuse, Trust };

// The user's say over a certificate the system does not vouch for. Only ever consulted
// for a certificate whose sole fault is its unknown issuer; an expired one or one made
// out for another server is refused without asking. Called on the client's own thread
// (a window's implementation blocks it until the user answers).
class ICertificateTrust
{
public:
    virtual ~ICertificateTrust() = default;
    // Whether the user trusted this very certificate for this server before.
    virtual bool Trusted(const QString &host, int port, const QString &fingerprint) const = 0;
    virtual TTrustAnswer Ask(const TCertificateInfo &certificate) = 0;
    // Kept for the next runs: the server's one trusted certificate from now on.
    virtual void Remember(const QString &host, int port, const QString &fingerprint) = 0;
};
