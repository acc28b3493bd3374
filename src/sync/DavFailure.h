#pragma once

#include "sync/DavClient.h"
#include "sync/SyncEngine.h"

#include <QUrl>

// What a reply that is not the answer asked for means, told the same way by the contacts'
// sync and the calendar's (a refused certificate, a cut-off answer, no answer, a status).
template <class TResult>
bool FailWith(TResult &result, const TDavReply &reply, const QByteArray &method, const QUrl &url)
{
    result.FailedMethod = method;
    result.Detail = url.toDisplayString(QUrl::RemoveUserInfo);
    if (reply.Certificate.Problem != TCertificateProblem::None) {
        result.Failure = TSyncFailure::Certificate;
        result.Certificate = reply.Certificate;
    } else if (reply.TooLarge) {
        result.Failure = TSyncFailure::Answer;
        result.Detail = QStringLiteral("> %1 MB").arg(TDavClient::kMaxAnswer >> 20);
    } else if (reply.Status == 0) {
        result.Failure = reply.TimedOut ? TSyncFailure::Timeout : TSyncFailure::Unreachable;
        if (!reply.TimedOut)
            result.Detail = reply.NetworkError;
    } else {
        result.Failure = TSyncFailure::Http;
        result.HttpStatus = reply.Status;
    }
    return false;
}

// An answer of the right status whose body could not be read.
template <class TResult>
bool FailUnreadable(TResult &result, int status, const QByteArray &method, const QString &error)
{
    result.Failure = TSyncFailure::Answer;
    result.HttpStatus = status;
    result.FailedMethod = method;
    result.Detail = error;
    return false;
}
