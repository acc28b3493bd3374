#include "session/Messages.h"

#include "book/BookFile.h"

namespace Msg {

QString BookFileError(TBookFileError e)
{
    switch (e) {
    case TBookFileError::None:
    case TBookFileError::Missing:
    case TBookFileError::Refused:
        return {};
    case TBookFileError::Open:
        return OpenFailed();
    case TBookFileError::HeaderRead:
        return HeaderReadFailed();
    case TBookFileError::Read:
        return ReadFailed();
    case TBookFileError::HeaderWrite:
        return HeaderWriteFailed();
    case TBookFileError::Write:
        return WriteFailed();
    }
    return {};
}

} // namespace Msg
