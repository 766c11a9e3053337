#include "app/ListPrinter.h"

#include "platform/Cp1252.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

namespace kt {

QFont ListPrintFont() {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPointSize(8);
  return font;
}

bool PrintPlainText(std::string_view cp1252Text, const QString& jobTitle, QString* error,
                    const QString& pdfFile) {
  const auto fail = [error](const QString& text) {
    if (error) *error = text;
    return false;
  };

  QPrinter printer(QPrinter::HighResolution);
  if (pdfFile.isEmpty()) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return fail(QStringLiteral("Es ist kein Standarddrucker eingerichtet."));
    printer.setPrinterName(info.printerName());
  } else {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfFile);
  }
  printer.setDocName(jobTitle);

  // CR LF ends a line; a lone CR or LF does too.
  QString text = FromCp1252(cp1252Text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);  // no empty line after the last one

  // Laid out in the printer's own pixels, one page at a time.
  QTextDocument doc;
  doc.documentLayout()->setPaintDevice(&printer);
  doc.setDefaultFont(ListPrintFont());
  doc.setDocumentMargin(0);
  doc.setPlainText(text);
  const QSizeF page = printer.pageRect(QPrinter::DevicePixel).size();
  doc.setPageSize(page);

  QPainter painter;
  if (!painter.begin(&printer)) {
    return fail(pdfFile.isEmpty()
                    ? QStringLiteral("Der Drucker \"%1\" kann nicht drucken.").arg(printer.printerName())
                    : QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.").arg(pdfFile));
  }
  bool printed = true;
  const int pages = doc.pageCount();
  for (int i = 0; i < pages; ++i) {
    if (i > 0 && !printer.newPage()) {
      printed = false;
      break;
    }
    // A line that only touches the page's edge belongs to the neighbouring page.
    const QRectF area = QRectF(0, i * page.height(), page.width(), page.height()).adjusted(0, 1, 0, -1);
    painter.save();
    painter.translate(0, -i * page.height());
    doc.drawContents(&painter, area);
    painter.restore();
  }
  if (!painter.end() || !printed || printer.printerState() == QPrinter::Error)
    return fail(QStringLiteral("Der Ausdruck ist fehlgeschlagen."));
  return true;
}

}  // namespace kt
