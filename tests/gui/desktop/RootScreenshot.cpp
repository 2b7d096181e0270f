// vek-root-screenshot: saves the root window of the display as a PNG (the Xvfb session's artifact)
// and, given a golden image, compares them loosely: the same size, and at most 0.5% of the pixels
// differing by more than 48 in a colour channel (fonts and themes may move a few pixels; a missing
// window, menu bar or content does not pass).
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>

// GLib's, GTK's and D-Bus's own process-wide allocations are not the tool's leaks.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libgtk-3.so\n"
           "leak:libgdk-3.so\n"
           "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n";
}

namespace {

bool LooselyEqual(GdkPixbuf* shot, const char* goldenPath)
{
    GError* error = nullptr;
    GdkPixbuf* golden = gdk_pixbuf_new_from_file(goldenPath, &error);
    if (!golden) {
        std::fprintf(stderr, "vek-root-screenshot: %s\n", error ? error->message : "cannot read the golden image");
        if (error)
            g_error_free(error);
        return false;
    }
    const int width = gdk_pixbuf_get_width(shot);
    const int height = gdk_pixbuf_get_height(shot);
    bool equal = width == gdk_pixbuf_get_width(golden) && height == gdk_pixbuf_get_height(golden);
    if (!equal)
        std::fprintf(stderr, "vek-root-screenshot: %dx%d, the golden image is %dx%d\n", width, height,
                     gdk_pixbuf_get_width(golden), gdk_pixbuf_get_height(golden));
    long differing = 0;
    for (int y = 0; equal && y < height; ++y) {
        const guchar* a = gdk_pixbuf_get_pixels(shot) + y * gdk_pixbuf_get_rowstride(shot);
        const guchar* b = gdk_pixbuf_get_pixels(golden) + y * gdk_pixbuf_get_rowstride(golden);
        const int stepA = gdk_pixbuf_get_n_channels(shot);
        const int stepB = gdk_pixbuf_get_n_channels(golden);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                if (std::abs(int(a[x * stepA + c]) - int(b[x * stepB + c])) > 48) {
                    ++differing;
                    break;
                }
    }
    if (equal) {
        const double share = double(differing) / double(long(width) * height);
        std::fprintf(stderr, "vek-root-screenshot: %.2f%% of the pixels differ from the golden image\n", share * 100);
        equal = share <= 0.005;
    }
    g_object_unref(golden);
    return equal;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fputs("usage: vek-root-screenshot OUT.png [GOLDEN.png]\n", stderr);
        return 2;
    }
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fputs("vek-root-screenshot: no display\n", stderr);
        return 1;
    }
    GdkWindow* root = gdk_get_default_root_window();
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(root, 0, 0, gdk_window_get_width(root), gdk_window_get_height(root));
    if (!shot)
        return 1;
    GError* error = nullptr;
    const gboolean saved = gdk_pixbuf_save(shot, argv[1], "png", &error, nullptr);
    const bool matches = argc < 3 || LooselyEqual(shot, argv[2]);
    g_object_unref(shot);
    if (!saved) {
        std::fprintf(stderr, "vek-root-screenshot: %s\n", error ? error->message : "cannot save");
        if (error)
            g_error_free(error);
        return 1;
    }
    return matches ? 0 : 1;
}
