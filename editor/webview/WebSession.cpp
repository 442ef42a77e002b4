#include "editor/webview/WebSession.h"

#include "editor/webview/WebURL.h"

#include <webkit2/webkit2.h>

#include <cstdio>

namespace KIV {

namespace {

// Pages may use inline script and style and their own scheme, nothing else.
constexpr const char* kContentPolicy =
    "default-src kiv: data: blob: 'unsafe-inline' 'unsafe-eval'; form-action 'none'";

void ServePageRequest(WebKitURISchemeRequest* request, gpointer data)
{
    auto* session = static_cast<WebSession*>(data);
    const std::string path = WebURL::PercentDecode(webkit_uri_scheme_request_get_path(request));
    std::vector<uint8_t> bytes;
    const std::string error = session->GetPages().Fetch(path, bytes);
    if (!error.empty()) {
        if (session->GetConfig().mLogLevel >= 2) {
            std::fprintf(stderr, "Orlimbar: page request %s\n", error.c_str());
        }
        GError* gerror = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, error.c_str());
        webkit_uri_scheme_request_finish_error(request, gerror);
        g_error_free(gerror);
        return;
    }
    GBytes* gbytes = g_bytes_new(bytes.data(), bytes.size());
    GInputStream* stream = g_memory_input_stream_new_from_bytes(gbytes);
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, static_cast<gint64>(bytes.size()));
    webkit_uri_scheme_response_set_content_type(response, PageSource::GetMimeType(path).c_str());
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Content-Security-Policy", kContentPolicy);
    webkit_uri_scheme_response_set_http_headers(response, headers);
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    g_object_unref(stream);
    g_bytes_unref(gbytes);
}

} // namespace

WebSession::WebSession(const WebConfig& config, const WebPreferences& preferences) : mConfig(config)
{
    mContext = webkit_web_context_new_ephemeral();
    webkit_web_context_set_cache_model(mContext, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
    webkit_web_context_register_uri_scheme(mContext, WebURL::kScheme, ServePageRequest, this, nullptr);
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(mContext);
    webkit_security_manager_register_uri_scheme_as_secure(security, WebURL::kScheme);
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, WebURL::kScheme);

    mSettings = webkit_settings_new();
    webkit_settings_set_enable_javascript(mSettings, preferences.mEnableJavascript);
    webkit_settings_set_enable_smooth_scrolling(mSettings, preferences.mEnableSmoothScrolling);
    webkit_settings_set_enable_webgl(mSettings, preferences.mEnableWebGL);
    webkit_settings_set_enable_webaudio(mSettings, preferences.mEnableWebAudio);
    webkit_settings_set_enable_html5_local_storage(mSettings, preferences.mEnableLocalStorage);
    webkit_settings_set_enable_html5_database(mSettings, FALSE);
    webkit_settings_set_enable_developer_extras(mSettings, preferences.mEnableDeveloperExtras);
    webkit_settings_set_allow_file_access_from_file_urls(mSettings, FALSE);
    webkit_settings_set_allow_universal_access_from_file_urls(mSettings, FALSE);
    webkit_settings_set_enable_page_cache(mSettings, FALSE);
    webkit_settings_set_javascript_can_open_windows_automatically(mSettings, FALSE);

    mContent = webkit_user_content_manager_new();
    if (!preferences.mEnableScrollbars) {
        WebKitUserStyleSheet* sheet = webkit_user_style_sheet_new(
            "::-webkit-scrollbar { display: none; }", WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
            WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr);
        webkit_user_content_manager_add_style_sheet(mContent, sheet);
        webkit_user_style_sheet_unref(sheet);
    }
}

WebSession::~WebSession()
{
    g_object_unref(mContent);
    g_object_unref(mSettings);
    g_object_unref(mContext);
}

void WebSession::ClearCache()
{
    webkit_web_context_clear_cache(mContext);
    mPages.Clear();
}

} // namespace KIV
