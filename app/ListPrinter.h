#pragma once
// Printing a plain-text document (Windows-1252, lines ended by CR LF) as one
// job on the default printer, paginated by the printing, in the main window's
// font.

#include <QFont>
#include <QString>
#include <string_view>

namespace kt {

// The main window's 8 pt font, as installed here.
QFont ListPrintFont();

// Prints text as one job named jobTitle. Without pdfFile the job goes to the
// default printer; with it, the pages are written to that PDF file instead.
// On failure returns false and, when error is given, a German text for the user.
bool PrintPlainText(std::string_view cp1252Text, const QString& jobTitle, QString* error = nullptr,
                    const QString& pdfFile = {});

}  // namespace kt
