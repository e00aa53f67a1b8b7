// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk/GtkMenus.h"

#include "base/Owned.h"
#include "base/SharedLibrary.h"
#include "platform/MessageQueue.h"
#include "platform/gtk/DesktopWindow.h"
#include "platform/gtk/GtkTheme.h"
#include "platform/gtk/GtkToolkit.h"
#include "platform/gtk/XEmbedIcon.h"

#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nimbrell::platform {

namespace {

constexpr const char* indexKey = "nimbrell-entry";
constexpr const char* targetKey = "nimbrell-target";
constexpr const char* kindKey = "nimbrell-kind";

void onActivate(GtkMenuItem* item, gpointer)
{
    auto index = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(item), indexKey));
    auto target = static_cast<HWND>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), targetKey)));
    PostMessage(target, WM_COMMAND, index, 0);
}

// A checked entry is a check item and an unchecked one a plain item, so a change
// of the mark is a change of the item's kind.
enum class ItemKind : int {
    Separator = 1,
    Check,
    Plain
};

ItemKind kindOf(const MenuEntry& entry)
{
    return entry.separator ? ItemKind::Separator : entry.checked ? ItemKind::Check
                                                                 : ItemKind::Plain;
}

ItemKind kindOf(GtkWidget* item)
{
    return static_cast<ItemKind>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), kindKey)));
}

void showEntry(GtkWidget* item, const MenuEntry& entry)
{
    if (!entry.separator && entry.caption != gtk_menu_item_get_label(GTK_MENU_ITEM(item)))
        gtk_menu_item_set_label(GTK_MENU_ITEM(item), entry.caption.c_str());
    gtk_widget_set_sensitive(item, entry.enabled);
    gtk_widget_set_visible(item, entry.visible);
}

GtkWidget* newItem(const MenuEntry& entry, std::size_t index, HWND target)
{
    GtkWidget* item = nullptr;
    ItemKind kind = kindOf(entry);
    if (kind == ItemKind::Separator) {
        item = gtk_separator_menu_item_new();
    } else if (kind == ItemKind::Check) {
        item = gtk_check_menu_item_new_with_label(entry.caption.c_str());
        // Set before the handler is connected: setting the mark activates the item.
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
    } else {
        item = gtk_menu_item_new_with_label(entry.caption.c_str());
    }
    g_object_set_data(G_OBJECT(item), kindKey, GINT_TO_POINTER(static_cast<int>(kind)));
    g_object_set_data(G_OBJECT(item), indexKey, GSIZE_TO_POINTER(index));
    g_object_set_data(G_OBJECT(item), targetKey, GUINT_TO_POINTER(target));
    if (kind != ItemKind::Separator)
        g_signal_connect(item, "activate", G_CALLBACK(onActivate), nullptr);
    showEntry(item, entry);
    return item;
}

// The menu of the entries, one item per entry (hidden entries hidden), so an
// open menu can follow them. Floating reference, like any new widget.
GtkWidget* buildMenu(const std::vector<MenuEntry>& entries, HWND target)
{
    GtkWidget* menu = gtk_menu_new();
    for (std::size_t index = 0; index < entries.size(); ++index)
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), newItem(entries[index], index, target));
    return menu;
}

// Brings the items up to date in place: an item whose kind changed is replaced
// where it stands, the others change only what differs.
void updateMenu(GtkWidget* menu, const std::vector<MenuEntry>& entries, HWND target)
{
    std::vector<GtkWidget*> items;
    Owned<GList, g_list_free> children(gtk_container_get_children(GTK_CONTAINER(menu)));
    for (GList* child = children.get(); child; child = child->next)
        items.push_back(GTK_WIDGET(child->data));
    if (items.size() != entries.size()) {
        for (GtkWidget* item : items)
            gtk_container_remove(GTK_CONTAINER(menu), item);
        items.assign(entries.size(), nullptr);
    }
    for (std::size_t index = 0; index < entries.size(); ++index) {
        GtkWidget* item = items[index];
        if (item && kindOf(item) == kindOf(entries[index])) {
            showEntry(item, entries[index]);
            continue;
        }
        if (item)
            gtk_container_remove(GTK_CONTAINER(menu), item);
        gtk_menu_shell_insert(GTK_MENU_SHELL(menu), newItem(entries[index], index, target), static_cast<gint>(index));
    }
}

struct OpenMenu {
    GtkWidget* menu;
    HWND target;
};

std::vector<OpenMenu>& openMenus()
{
    static std::vector<OpenMenu> menus;
    return menus;
}

// The menu counts as open until here, so that the crossings its ungrab causes
// are taken for the grab's.
gboolean destroyMenu(gpointer menu)
{
    std::erase_if(openMenus(), [menu](const OpenMenu& open) { return open.menu == GTK_WIDGET(menu); });
    {
        Owned<GtkWidget, g_object_unref> held(GTK_WIDGET(menu)); // the reference the popup took
        gtk_widget_destroy(held.get());
    }
    PointerGrabEnded();
    return G_SOURCE_REMOVE;
}

// The chosen item is activated after the menu deactivates, so the menu goes
// only once the main loop is idle again.
void onMenuDeactivate(GtkMenuShell* menu, gpointer)
{
    g_idle_add(destroyMenu, menu);
}

// The session bus, or none when it has not answered within the time: a bus that
// takes the connection and never answers must not hold the program. The wait runs
// a main context of its own, so nothing else of the program is dispatched meanwhile.
using BusPtr = Owned<GDBusConnection, g_object_unref>;

BusPtr sessionBusWithin(guint milliseconds)
{
    struct Wait {
        GDBusConnection* bus { nullptr };
        bool done { false };
    };
    // Kept when the bus does not answer, for the request may still complete.
    static std::vector<std::unique_ptr<Wait>> unanswered;
    auto* wait = new Wait;
    Owned<GMainContext, g_main_context_unref> context(g_main_context_new());
    g_main_context_push_thread_default(context.get());
    Owned<GCancellable, g_object_unref> cancellable(g_cancellable_new());
    g_bus_get(
        G_BUS_TYPE_SESSION, cancellable.get(),
        [](GObject*, GAsyncResult* result, gpointer data) {
            auto* finished = static_cast<Wait*>(data);
            finished->bus = g_bus_get_finish(result, nullptr);
            finished->done = true;
        },
        wait);
    bool late = false;
    Owned<GSource, g_source_unref> timeout(g_timeout_source_new(milliseconds));
    g_source_set_callback(
        timeout.get(),
        [](gpointer flag) {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &late, nullptr);
    g_source_attach(timeout.get(), context.get());
    while (!wait->done && !late)
        g_main_context_iteration(context.get(), TRUE);
    g_source_destroy(timeout.get());
    BusPtr bus;
    if (wait->done) {
        bus.reset(wait->bus);
        delete wait;
    } else {
        g_cancellable_cancel(cancellable.get());
        unanswered.emplace_back(wait);
    }
    g_main_context_pop_thread_default(context.get());
    return bus;
}

bool statusNotifierWatcherPresent()
{
    // Without a session bus to join, asking for one would launch a bus daemon.
    const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    std::string runtimeBus = std::string(g_get_user_runtime_dir()) + "/bus";
    if ((!address || !*address) && !g_file_test(runtimeBus.c_str(), G_FILE_TEST_EXISTS))
        return false;
    BusPtr bus = sessionBusWithin(1000);
    if (!bus)
        return false;
    Owned<GVariant, g_variant_unref> reply(g_dbus_connection_call_sync(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", "org.kde.StatusNotifierWatcher"), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 500,
        nullptr, nullptr));
    gboolean owned = FALSE;
    if (reply)
        g_variant_get(reply.get(), "(b)", &owned);
    return owned;
}

// The status-notifier library, opened only when a watcher is there to show its
// item: linked, it would map five libraries into every start for nothing on a
// desktop whose tray takes the XEmbed icon. Stays open for the process.
struct AppIndicatorLibrary {
    decltype(&app_indicator_new_with_path) newWithPath {};
    decltype(&app_indicator_set_title) setTitle {};
    decltype(&app_indicator_set_status) setStatus {};
    decltype(&app_indicator_set_menu) setMenu {};

    // None when the library or one of its functions is missing.
    static const AppIndicatorLibrary* Get()
    {
        static const std::optional<AppIndicatorLibrary> library = open();
        return library ? &*library : nullptr;
    }

private:
    static std::optional<AppIndicatorLibrary> open()
    {
        std::optional<SharedLibrary> handle = SharedLibrary::Open("libayatana-appindicator3.so.1");
        if (!handle)
            return std::nullopt;
        AppIndicatorLibrary library;
        if (!handle->Find("app_indicator_new_with_path", library.newWithPath) || !handle->Find("app_indicator_set_title", library.setTitle)
            || !handle->Find("app_indicator_set_status", library.setStatus) || !handle->Find("app_indicator_set_menu", library.setMenu)) {
            handle->Close();
            return std::nullopt;
        }
        return library;
    }
};

class StatusNotifierIcon final : public TrayIcon {
public:
    StatusNotifierIcon(const AppIndicatorLibrary& library, std::span<const std::uint8_t> png, const std::string& tip, HWND target)
        : m_library(library)
        , m_target(target)
    {
        // The item names its icon by file; it lives in the user's runtime folder.
        m_iconFolder = std::filesystem::path(g_get_user_runtime_dir()) / ("nimbrell-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_iconFolder);
        std::ofstream(m_iconFolder / "nimbrell-tray.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
        m_indicator.reset(m_library.newWithPath("nimbrell", "nimbrell-tray", APP_INDICATOR_CATEGORY_APPLICATION_STATUS,
            m_iconFolder.c_str()));
        m_library.setTitle(m_indicator.get(), tip.c_str());
        // Registered with the watcher, or dropped when it goes, after the fact.
        g_signal_connect(m_indicator.get(), APP_INDICATOR_SIGNAL_CONNECTION_CHANGED, G_CALLBACK(onConnectionChanged), this);
        m_library.setStatus(m_indicator.get(), APP_INDICATOR_STATUS_ACTIVE);
    }
    ~StatusNotifierIcon() override
    {
        g_signal_handlers_disconnect_by_data(m_indicator.get(), this);
        m_library.setStatus(m_indicator.get(), APP_INDICATOR_STATUS_PASSIVE);
        m_indicator.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_iconFolder, ignored);
    }

    // The item's menu changes in place, so a panel showing it follows.
    void SetMenu(const std::vector<MenuEntry>& entries, HWND menuTarget) override
    {
        if (m_menu && menuTarget == m_menuTarget) {
            updateMenu(m_menu.get(), entries, menuTarget);
            return;
        }
        m_menuTarget = menuTarget;
        MenuPtr menu(buildMenu(entries, menuTarget));
        g_object_ref_sink(menu.get());
        m_library.setMenu(m_indicator.get(), GTK_MENU(menu.get()));
        m_menu = std::move(menu);
    }
    bool Docked() const override { return m_connected; }
    // The library exports no tooltip of its own; panels show the title in its place.
    void SetTip(const std::string& tip) override { m_library.setTitle(m_indicator.get(), tip.c_str()); }
    const char* Kind() const override { return "StatusNotifierItem"; }

private:
    static void onConnectionChanged(AppIndicator*, gboolean connected, gpointer data)
    {
        auto* self = static_cast<StatusNotifierIcon*>(data);
        if (self->m_connected == bool(connected))
            return;
        self->m_connected = connected;
        PostMessage(self->m_target, TrayIconMessage, 0, TrayIconDockChanged);
    }

    const AppIndicatorLibrary& m_library;
    HWND m_target;
    bool m_connected { false };
    std::filesystem::path m_iconFolder;
    using MenuPtr = Owned<GtkWidget, g_object_unref>;
    MenuPtr m_menu;
    HWND m_menuTarget { 0 };
    // Goes first: the item holds its menu.
    Owned<AppIndicator, g_object_unref> m_indicator;
};

}

void PopupGtkMenu(const std::vector<MenuEntry>& entries, ScreenPoint at, HWND target)
{
    EnsureGtk();
    UseDesktopTheme();
    GtkWidget* menu = buildMenu(entries, target);
    g_object_ref_sink(menu);
    g_signal_connect(menu, "deactivate", G_CALLBACK(onMenuDeactivate), nullptr);
    openMenus().push_back({ menu, target });
    GdkRectangle place { at.x, at.y, 1, 1 };
    GdkWindow* root = gdk_get_default_root_window();
    // Input reaches the program as queued messages, so GTK has no event of its
    // own to open the menu from; it gets one naming the pointer and the root.
    Owned<GdkEvent, gdk_event_free> trigger(gdk_event_new(GDK_BUTTON_PRESS));
    trigger->button.window = GDK_WINDOW(g_object_ref(root));
    // The time of the press that opened it, so that releasing that press does not
    // count as a click beside the menu.
    trigger->button.time = LastUserTime();
    trigger->button.button = 3;
    gdk_event_set_device(trigger.get(), gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_menu_popup_at_rect(GTK_MENU(menu), root, &place, GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST, trigger.get());
}

bool GtkMenuOpen()
{
    return !openMenus().empty();
}

void UpdateOpenGtkMenus(const std::vector<MenuEntry>& entries, HWND target)
{
    for (const OpenMenu& open : openMenus()) {
        if (open.target == target)
            updateMenu(open.menu, entries, target);
    }
}

std::unique_ptr<TrayIcon> CreateGtkTrayIcon(std::span<const std::uint8_t> png, const std::string& tip, HWND target)
{
    if (statusNotifierWatcherPresent()) {
        if (const auto* library = AppIndicatorLibrary::Get()) {
            // The item's menu is a GTK menu, handed to the library.
            EnsureGtk();
            return std::make_unique<StatusNotifierIcon>(*library, png, tip, target);
        }
    }
    return CreateXEmbedIcon(png, tip, target);
}

}
