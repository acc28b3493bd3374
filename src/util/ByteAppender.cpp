#include "util/ByteAppender.h"

namespace {
constexpr qsizetype kStep = 4096;
}

TByteAppender::TByteAppender(QByteArray &target) : m_target(target)
{
    // An array with no room yet gets it at the first write: an appender that writes
    // nothing costs no allocation.
    if (target.isEmpty() && target.capacity() == 0)
        return;
    const qsizetype used = target.size();
    target.resize(qMax(target.capacity(), used + kStep));
    Take();
    m_p = m_begin + used;
}

void TByteAppender::Grow(qsizetype n)
{
    const qsizetype used = Size();
    m_target.resize(qMax(2 * m_target.size(), used + n + kStep));
    Take();
    m_p = m_begin + used;
}

void TByteAppender::Take()
{
    m_begin = m_target.data();
    m_end = m_begin + m_target.size();
}
