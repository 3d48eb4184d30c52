#include "ui/SaveFailure.h"

#include <QFile>

#include <cerrno>
#include <cstring>

QString saveFailureReason(SaveOutcome const& outcome) {
    if (outcome.rescuePending) {
        //% "a copy of the damaged reservation file could not be kept first"
        return qtTrId("IDS_SAVE_REASON_RESCUE");
    }
    switch (outcome.error) {
    case EACCES:
    case EPERM:
        //% "writing there is not allowed"
        return qtTrId("IDS_SAVE_REASON_DENIED");
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        //% "the disk is full"
        return qtTrId("IDS_SAVE_REASON_FULL");
    case EROFS:
        //% "the disk is read-only"
        return qtTrId("IDS_SAVE_REASON_READ_ONLY");
    case ENOENT:
    case ENOTDIR:
        //% "its folder does not exist"
        return qtTrId("IDS_SAVE_REASON_NO_FOLDER");
    case EISDIR:
    case EINVAL:
        //% "something that is not a file has its name"
        return qtTrId("IDS_SAVE_REASON_NOT_A_FILE");
    default:
        //% "system error %1"
        return qtTrId("IDS_SAVE_REASON_OTHER")
            .arg(QString::fromLocal8Bit(std::strerror(outcome.error)));
    }
}

QString saveFailurePath(SaveOutcome const& outcome) {
    return QFile::decodeName(QByteArray::fromStdString(outcome.path));
}
