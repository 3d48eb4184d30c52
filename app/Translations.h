// The program's texts in the user's language: Japanese when the desktop (or, for the
// command line, the locale settings) asks for it first, English otherwise.
#pragma once

class QCoreApplication;

bool desktopWantsJapanese();

// Installs the program's own texts and, where installed, the toolkit's.
void installTranslators(QCoreApplication& app);
