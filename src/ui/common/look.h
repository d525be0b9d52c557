// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The look the windows share: Arial chosen by character height, the bars' palette and
// font, core colours as Qt colours, and theme icons with the style's own as fallback.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QStyle>

#include "display_list.h"

class QWidget;

namespace pv::ui {

// Arial, or where it is missing a face with its metrics (Liberation Sans, Arimo): the
// panel and the printed page are laid out for Arial's widths.
QFont ArialFont();

// An Arial font whose character height (without internal leading) is pixels.
QFont ArialByCharHeight(int pixels, int weight);

// The statistics and cursor bars: black on RGB(240,240,240), Arial 14 pixels, weight 500.
void UseBarLook(QWidget& bar);
QFont BarFont();

inline QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// The program's own icon, a plain pressure gauge (the window's and the About box's).
QIcon AppIcon();

// The desktop theme's icon of that name, else the style's standard pixmap.
QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback, const QStyle* style);

// The power symbol (a ring open at the top with a bar through the gap), drawn by the
// program: the styles' own "stop" pixmaps are red crosses that read as "close".
QIcon PowerSymbolIcon();

// A white question mark on a blue disc, for help: the styles' own help pixmap is not
// recognisable at toolbar size.
QIcon HelpSymbolIcon();

}  // namespace pv::ui
