// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logger graph: the paint of a loaded data-logger file (full view or zoom level) as
// a layout step and a draw step, and the window's mouse, scroll and command handling.
// Every operation returns what the window has to redraw; nothing here draws.
#include "logger/logger_download.h"
#include "logger/logger_geometry.h"
#include "logger/logger_graph_draw.h"
#include "logger/logger_graph_layout.h"
#include "logger/logger_graph_mouse.h"
#include "logger/logger_graph_view.h"
