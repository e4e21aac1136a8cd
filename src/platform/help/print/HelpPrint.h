#pragma once

#include <functional>

class QPagedPaintDevice;
class QString;
class QWidget;

// Printing a help topic needs Qt's print support, which nothing else in the program uses: it
// lives in a module of its own (ModuleFile, in the component folder) that the help window loads
// when a topic is first printed, so the program does not load it at every start.
namespace HelpPrint {

// The module's file name and its one entry point, found by name.
inline constexpr char ModuleFile[] = "libkx4helpprint.so";
inline constexpr char DialogSymbol[] = "kx4HelpPrintDialog";

// The entry point: shows the print dialog over parent under title, offering "selection only"
// when selection is true. When the user accepts, calls print with the chosen printer and returns
// true; returns false when the user cancels.
using Dialog = bool (*)(QWidget* parent, const QString& title, bool selection,
                        const std::function<void(QPagedPaintDevice&)>& print);

} // namespace HelpPrint
