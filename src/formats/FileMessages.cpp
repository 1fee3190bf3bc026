// The messages each codec failure shows, as the user has always seen them.
#include "FileMessages.h"

namespace polyvane {

std::vector<std::string_view> TmdReadMessages(TmdReadError error) {
    switch (error) {
    case TmdReadError::badId:
    case TmdReadError::badFile:
        return {TmdReadErrorText(error)};
    case TmdReadError::noRecordMemory:
        return {TmdReadErrorText(error), TmdReadErrorText(TmdReadError::badFile)};
    case TmdReadError::truncatedHeader:
    case TmdReadError::badObjectTable:
        // Failures that once passed without a word: the user still learns the file is bad.
        break;
    }
    return {TmdReadErrorText(TmdReadError::badFile)};
}

std::vector<std::string_view> TmdWriteMessages(TmdWriteError error) {
    return {TmdWriteErrorText(error)};
}

std::vector<std::string_view> LwoImportMessages(LwoError error) {
    // Too short to hold a FORM header is, to the user, not an IFF file.
    if (error == LwoError::truncatedHeader)
        return {LwoErrorText(LwoError::notIff)};
    return {LwoErrorText(error)};
}

} // namespace polyvane
