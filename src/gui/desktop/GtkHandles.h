// GtkHandles: owning handles of the GTK objects the desktop backend makes.
#pragma once

#include <memory>

struct _GtkWidget;

namespace vek {

// A toplevel widget is destroyed with gtk_widget_destroy, which also frees every child it holds.
struct GtkWidgetDestroy {
    void operator()(_GtkWidget* widget) const;
};
using GtkWidgetHandle = std::unique_ptr<_GtkWidget, GtkWidgetDestroy>;

}  // namespace vek
