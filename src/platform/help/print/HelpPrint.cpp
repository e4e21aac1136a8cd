#include "platform/help/print/HelpPrint.h"

#include <QPrintDialog>
#include <QPrinter>

extern "C" Q_DECL_EXPORT bool kx4HelpPrintDialog(QWidget* parent, const QString& title, bool selection,
                                                 const std::function<void(QPagedPaintDevice&)>& print) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(title);
    if (selection)
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    print(printer);
    return true;
}

// The entry point must keep the type the help window calls it with.
static_assert(std::is_same_v<decltype(&kx4HelpPrintDialog), HelpPrint::Dialog>);
