#include "app/TrustTexts.h"

#include <QCoreApplication>

namespace {
QString quotedPath(std::string const& path) {
    return QString::fromStdString(path);
}
} // namespace

QString trustReasonText(trust::Verdict const& verdict) {
    switch (verdict.problem) {
    case trust::Problem::WritableByOther:
        //% "other users can change it"
        return qtTrId("IDS_TRUST_WRITABLE");
    case trust::Problem::OwnedByOther:
        //% "it belongs to another user"
        return qtTrId("IDS_TRUST_OWNER");
    default:
        //% "it cannot be checked"
        return qtTrId("IDS_TRUST_UNUSABLE");
    }
}

QString dataFolderNoticeText(AppLocation::Choice const& choice) {
    if (choice.passedOver.ok() || choice.folder.empty()) {
        return {};
    }
    //% "The reservations are kept in %1, not beside the program, because %2: %3. "
    //% "Velto.app is looked for there too."
    return qtTrId("IDS_NOTICE_DATA_FOLDER")
        .arg(quotedPath(choice.folder), quotedPath(choice.passedOver.where),
             trustReasonText(choice.passedOver));
}

QString noSafeFolderText(trust::Verdict const& unusable) {
    //% "The reservations cannot be kept safely, because %1: %2. Correct the owner or the "
    //% "permissions of that folder, then start the program again."
    return qtTrId("IDS_ERR_NO_SAFE_FOLDER")
        .arg(quotedPath(unusable.where), trustReasonText(unusable));
}

QString helperProblemText(HelperSearch const& search) {
    if (!search.tool.empty()) {
        return {};
    }
    if (!search.refused.empty()) {
        trust::Verdict const& refused = search.refused.front();
        //% "Waking and shutting down are unavailable: the installed wake-up helper cannot "
        //% "be run as administrator, because %1: %2."
        return qtTrId("IDS_HELPER_UNSAFE").arg(quotedPath(refused.where), trustReasonText(refused));
    }
    //% "Waking and shutting down are unavailable: the wake-up helper is not installed "
    //% "on this computer."
    return qtTrId("IDS_HELPER_MISSING");
}

QString helperUntrustedText(trust::Verdict const& source) {
    if (source.ok() || source.problem == trust::Problem::Missing) {
        return {};
    }
    //% "The wake-up helper beside this program cannot be installed, because %1: %2. Only a "
    //% "helper that no other user can change is installed to run as administrator."
    return qtTrId("IDS_HELPER_UNTRUSTED").arg(quotedPath(source.where), trustReasonText(source));
}

QString helperInstallFailedText(HelperInstaller::Result result, QString const& detail,
                                trust::Verdict const& source) {
    switch (result) {
    case HelperInstaller::Result::Untrusted:
        if (QString const text = helperUntrustedText(source); !text.isEmpty()) {
            return text;
        }
        break;
    case HelperInstaller::Result::Dismissed:
        //% "The wake-up helper was not installed: the administrator's password was not given."
        return qtTrId("IDS_ERR_HELPER_DISMISSED");
    case HelperInstaller::Result::Unavailable:
        //% "The wake-up helper cannot be installed from here (%1). Install the program's "
        //% "package, or install it with cmake as described in its README."
        return qtTrId("IDS_ERR_HELPER_UNAVAILABLE").arg(detail);
    default:
        break;
    }
    //% "The wake-up helper could not be installed: %1"
    return qtTrId("IDS_ERR_HELPER_FAILED").arg(detail);
}
