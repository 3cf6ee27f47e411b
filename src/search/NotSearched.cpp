#include "search/NotSearched.h"

#include <cerrno>

namespace ferrolux {

NotSearchedReason notSearchedReasonFor(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return NotSearchedReason::Vanished;
    case EAGAIN:
        return NotSearchedReason::WouldBlock;
    case ENAMETOOLONG:
        return NotSearchedReason::PathTooLong;
    case ELOOP:
        return NotSearchedReason::LinkLoop;
    case EMFILE:
    case ENFILE:
        return NotSearchedReason::DescriptorsExhausted;
    default:
        return NotSearchedReason::CannotRead;
    }
}

} // namespace ferrolux
