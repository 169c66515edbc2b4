// The POSIX error numbers the program has words for, and the system's own English text.
#include <locale.h>
#include <string.h>

#include <cerrno>

#include "system_error.h"

namespace brelin {

Cause causeOfSystemError(int error) {
    switch (error) {
        case ENOENT:
            return Cause::NotFound;
        case EACCES:
        case EPERM:
            return Cause::AccessDenied;
        case ENOSPC:
            return Cause::DiskFull;
        case EDQUOT:
            return Cause::QuotaExceeded;
        case EFBIG:
            return Cause::FileTooLarge;
        case EROFS:
            return Cause::ReadOnlyMedium;
        case EISDIR:
            return Cause::Folder;
        case ENOTDIR:
            return Cause::NotAFolder;
        case ENAMETOOLONG:
            return Cause::NameTooLong;
        case EIO:
            return Cause::DiskIo;
        case EMFILE:
        case ENFILE:
            return Cause::TooManyFiles;
        case ENOMEM:
            return Cause::OutOfMemory;
        default:
            return Cause::SystemRefused;
    }
}

std::string systemErrorText(int error) {
    // The "C" locale's text: English, whatever language the user's locale asks for.
    static const locale_t english = newlocale(LC_ALL_MASK, "C", locale_t{});
    return english ? strerror_l(error, english) : strerror(error);
}

}  // namespace brelin
