#pragma once
// Marks the moment the window's first picture is complete in the latency trace
// (util/latency_trace.h), for the start-up figure of bench/app-load.sh. Does nothing unless the
// trace is on.

class QWidget;

namespace vetra::ui {

void TraceFirstDrawing(QWidget& window);

}  // namespace vetra::ui
