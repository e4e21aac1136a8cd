#pragma once

#include <QString>
#include <functional>

class QWidget;

// Message boxes as the program shows them. Without a display (offscreen platform or no
// QApplication) the box is written to standard error as "title: text" and answers its default.
namespace MessageBox {

enum class Icon { None, Critical, Exclamation, Information };

// Shows a modal box with one OK button.
void Show(const QString& text, const QString& title, Icon icon = Icon::None, QWidget* owner = nullptr);

// Tests see every box through this hook instead of a window; pass {} to remove it.
using Hook = std::function<void(const QString& text, const QString& title, Icon icon)>;
void SetHook(Hook hook);

bool IsHeadless();

} // namespace MessageBox
