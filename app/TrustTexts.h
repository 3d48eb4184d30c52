// What the user is told when the trust checks pass something over: the reservation folder,
// or the wake-up helper. In the user's language; standard error gets trust::Verdict's own
// English line.
#pragma once

#include "app/AppLocation.h"
#include "platform/linux/HelperInstaller.h"
#include "platform/linux/HelperSearch.h"

#include <QString>

// "other users can change it", "it belongs to another user", ...
QString trustReasonText(trust::Verdict const& verdict);

// The main window's line when the reservations are not kept beside the program; "" when
// they are.
QString dataFolderNoticeText(AppLocation::Choice const& choice);

// The alert when no folder is safe for the reservations.
QString noSafeFolderText(trust::Verdict const& unusable);

// Why waking and shutting down are unavailable; "" when the wake-up helper is there.
QString helperProblemText(HelperSearch const& search);

// Why the wake-up helper beside this program is not installed: the trust check's verdict on
// its files ("" when it passed, or when there is none to install).
QString helperUntrustedText(trust::Verdict const& source);

// The alert after an installation of the wake-up helper that did not succeed; source: the
// trust check's verdict when that refused it.
QString helperInstallFailedText(HelperInstaller::Result result, QString const& detail,
                                trust::Verdict const& source = {});
