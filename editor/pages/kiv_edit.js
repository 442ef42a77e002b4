// The page side of the editor's text protocol, shared by every page.
//
// The game asks each visible page once per frame for its pending Lua (the
// get_lua_script probe) and answers by running JavaScript in the page: the
// update_* calls set what a control shows, reload_edy_page rebuilds a mode
// page from the editor builder's statements, the *_window_event calls say
// when the window is shown, hidden, focused or blurred.
//
// Lua snippets written in a control's description may use these markers,
// replaced when the snippet is queued:
//   $v  the control's new value (a Lua number, boolean or quoted string)
//   $e  the new value percent-encoded, as a quoted string (for setters that
//       take page text encoded, such as a robot's scripts)
//   $id the control's identifier as a quoted Lua string
//   $r $g $b $a  the channels of a picked colour

"use strict";

var kiv_pending_lua = [];
var kiv_controls = {};      // id -> control record (see kiv_register)
var kiv_control_order = []; // ids in the order the page built them
var kiv_visible = false;
var kiv_focused = false;
var kiv_refresh_timer = null;
var kiv_refresh_period_ms = 400;

// ---- Text encodings (they mirror the game's) ---------------------------------

// Letters and digits stay; every other byte of the UTF-8 text becomes %XX.
function kiv_percent_encode(text) {
    var bytes = new TextEncoder().encode(String(text));
    var out = "";
    for (var i = 0; i < bytes.length; ++i) {
        var b = bytes[i];
        var c = String.fromCharCode(b);
        if ((b >= 48 && b <= 57) || (b >= 65 && b <= 90) || (b >= 97 && b <= 122)) {
            out += c;
        } else {
            out += "%" + (b < 16 ? "0" : "") + b.toString(16).toUpperCase();
        }
    }
    return out;
}

// The game encodes every byte it does not leave alone, so a text it sent
// always decodes; a malformed one is shown as it came rather than lost.
function kiv_percent_decode(text) {
    if (text === undefined || text === null) return "";
    text = String(text);
    var bytes = [];
    for (var i = 0; i < text.length; ++i) {
        var c = text.charCodeAt(i);
        if (text[i] === "%" && /^[0-9A-Fa-f]{2}$/.test(text.substr(i + 1, 2))) {
            bytes.push(parseInt(text.substr(i + 1, 2), 16));
            i += 2;
        } else if (c < 128) {
            bytes.push(c);
        } else {
            var enc = new TextEncoder().encode(text[i]);
            for (var k = 0; k < enc.length; ++k) bytes.push(enc[k]);
        }
    }
    return new TextDecoder().decode(new Uint8Array(bytes));
}

// A Lua string literal that holds the text exactly and never a raw line
// feed: the game escapes line feeds in what a page hands it, which would
// break a literal that kept one.
function kiv_lua_quote(text) {
    text = String(text);
    var out = "'";
    for (var i = 0; i < text.length; ++i) {
        var ch = text[i];
        var c = text.charCodeAt(i);
        if (ch === "\\") out += "\\\\";
        else if (ch === "'") out += "\\'";
        else if (ch === "\n") out += "\\n";
        else if (ch === "\r") out += "\\r";
        else if (ch === "\t") out += "\\t";
        else if (c < 32 || c === 127) out += "\\" + c;
        else out += ch;
    }
    return out + "'";
}

// A value as Lua source: numbers and booleans bare, everything else quoted.
function kiv_lua_value(value) {
    if (typeof value === "boolean") return value ? "true" : "false";
    if (typeof value === "number" && isFinite(value)) return String(value);
    return kiv_lua_quote(value);
}

// ---- Page to game ---------------------------------------------------------------

function kiv_queue_lua(snippet) {
    if (snippet === undefined || snippet === null) return;
    snippet = String(snippet).trim();
    if (snippet.length > 0) kiv_pending_lua.push(snippet);
}

// The game's probe. Several snippets of one frame run as one chunk, each in
// a block of its own, so a comment or a return in one cannot swallow the next.
function get_lua_script() {
    if (kiv_pending_lua.length === 0) return undefined;
    var text = kiv_pending_lua.length === 1 ? kiv_pending_lua[0]
                                            : "do " + kiv_pending_lua.join("\nend do ") + "\nend";
    kiv_pending_lua = [];
    return text;
}

function kiv_fill(snippet, id, value) {
    if (!snippet) return "";
    return String(snippet)
        .split("$id").join(kiv_lua_quote(id))
        .split("$e").join(value === undefined ? "''" : kiv_lua_quote(kiv_percent_encode(value)))
        .split("$v").join(value === undefined ? "nil" : kiv_lua_value(value));
}

// A page's own script error must not pass unseen, nor stop anything: it goes
// to the game as a snippet that fails there (scripts have no function of that
// name), so it lands in the Lua results that the HUD and the Lua errors page
// show, the message in its script text.
function kiv_report_page_error(text) {
    kiv_queue_lua("page_script_error(" + kiv_lua_quote("page " + document.title + ": " + text) + ")");
}
window.addEventListener("error", function (e) {
    var where = e.filename ? " (" + String(e.filename).split("/").pop() + ":" + e.lineno + ")" : "";
    kiv_report_page_error(String(e.message) + where);
});

// ---- Window events --------------------------------------------------------------

function kiv_refresh_all() {
    for (var i = 0; i < kiv_control_order.length; ++i) {
        var rec = kiv_controls[kiv_control_order[i]];
        if (!rec) continue;
        if (rec.get) kiv_queue_lua(kiv_fill(rec.get, rec.id));
        if (rec.visibility) kiv_queue_lua(kiv_fill(rec.visibility, rec.id));
    }
    if (typeof kiv_page_refresh === "function") kiv_page_refresh();
}

function kiv_schedule_refresh() {
    if (kiv_refresh_timer !== null) return;
    kiv_refresh_timer = setInterval(function () {
        if (kiv_visible) kiv_refresh_all();
    }, kiv_refresh_period_ms);
}

function show_window_event() {
    kiv_visible = true;
    kiv_refresh_all();
    kiv_schedule_refresh();
    if (typeof kiv_page_shown === "function") kiv_page_shown();
}
function hide_window_event() {
    kiv_visible = false;
}
function focus_window_event() {
    kiv_focused = true;
    document.body.classList.add("kiv-focused");
}
function blur_window_event() {
    kiv_focused = false;
    document.body.classList.remove("kiv-focused");
}

// ---- Building controls ------------------------------------------------------------

function kiv_root() {
    return document.getElementById("kiv_root") || document.body;
}

// Where a control goes: the named block, table row or cell, else the page.
function kiv_parent(append_to) {
    if (append_to) {
        var rec = kiv_controls[append_to];
        if (rec && rec.container) return rec.container;
        var el = document.getElementById(String(append_to));
        if (el) return el;
    }
    return kiv_root();
}

function kiv_register(id, rec) {
    rec.id = id;
    if (!(id in kiv_controls)) kiv_control_order.push(id);
    kiv_controls[id] = rec;
    return rec;
}

function kiv_place(el, append_to, end_with_new_line, hint) {
    if (hint) el.title = String(hint);
    var parent = kiv_parent(append_to);
    parent.appendChild(el);
    if (end_with_new_line === true || end_with_new_line === "true" || end_with_new_line === 1) {
        parent.appendChild(document.createElement("br"));
    }
    return el;
}

function kiv_size(el, width, height) {
    if (width !== "" && width !== undefined && Number(width) > 0) el.style.width = Number(width) + "px";
    if (height !== "" && height !== undefined && Number(height) > 0) el.style.height = Number(height) + "px";
}

function kiv_number(value, fallback) {
    var n = Number(value);
    return value === "" || value === undefined || !isFinite(n) ? fallback : n;
}

function add_block(id, label, append_to, width, height, align, color_index, icon, forbid_minimize,
                   forbid_autoscroll, label_font_color) {
    var block = document.createElement("div");
    block.className = "kiv-block kiv-block-color" + kiv_number(color_index, 0);
    block.id = "block_" + id;
    var head = document.createElement("div");
    head.className = "kiv-block-head";
    head.textContent = label || "";
    if (label_font_color) head.style.color = String(label_font_color);
    var body = document.createElement("div");
    body.className = "kiv-block-body";
    if (align) body.style.textAlign = String(align);
    block.appendChild(head);
    block.appendChild(body);
    kiv_size(block, width, height);
    if (!forbid_minimize) {
        head.addEventListener("click", function () { block.classList.toggle("kiv-minimised"); });
    }
    kiv_register(id, {container: body, element: block});
    kiv_place(block, append_to, false, "");
}

function add_slider(id, value, min, max, step, lua_onchange, lua_get, hint, append_to, end_with_new_line, width) {
    var wrap = document.createElement("span");
    wrap.className = "kiv-slider";
    var input = document.createElement("input");
    input.type = "range";
    input.id = id;
    input.min = kiv_number(min, 0);
    input.max = kiv_number(max, 1);
    input.step = kiv_number(step, 0.01);
    input.value = kiv_number(value, 0);
    var shown = document.createElement("span");
    shown.className = "kiv-value";
    shown.textContent = input.value;
    kiv_size(input, width, "");
    input.addEventListener("input", function () {
        shown.textContent = input.value;
        kiv_queue_lua(kiv_fill(lua_onchange, id, Number(input.value)));
    });
    wrap.appendChild(input);
    wrap.appendChild(shown);
    kiv_register(id, {element: input, get: lua_get, set: function (v) {
        input.value = v;
        shown.textContent = input.value;
    }});
    kiv_place(wrap, append_to, end_with_new_line, hint);
}

function add_label(id, label, lua_get, hint, append_to, end_with_new_line, label_width) {
    var span = document.createElement("span");
    span.className = "kiv-label";
    span.id = id;
    span.textContent = label || "";
    kiv_size(span, label_width, "");
    kiv_register(id, {element: span, get: lua_get, set: function (v) { span.textContent = v; }});
    kiv_place(span, append_to, end_with_new_line, hint);
}

function add_checkbox(id, label, is_checked, lua_on_check, lua_on_uncheck, lua_get, hint, append_to,
                      end_with_new_line) {
    var wrap = document.createElement("label");
    wrap.className = "kiv-checkbox";
    var input = document.createElement("input");
    input.type = "checkbox";
    input.id = id;
    input.checked = is_checked === true || is_checked === "true" || is_checked === 1;
    input.addEventListener("change", function () {
        kiv_queue_lua(kiv_fill(input.checked ? lua_on_check : lua_on_uncheck, id, input.checked));
    });
    wrap.appendChild(input);
    wrap.appendChild(document.createTextNode(" " + (label || "")));
    kiv_register(id, {element: input, get: lua_get, set: function (v) { input.checked = v === "true"; }});
    kiv_place(wrap, append_to, end_with_new_line, hint);
}

function add_radio(id, group, label, value, lua_on_click, lua_get, hint, append_to, end_with_new_line) {
    var wrap = document.createElement("label");
    wrap.className = "kiv-radio";
    var input = document.createElement("input");
    input.type = "radio";
    input.id = id;
    input.name = String(group || id);
    input.value = String(value);
    input.addEventListener("change", function () {
        if (input.checked) kiv_queue_lua(kiv_fill(lua_on_click, id, kiv_number(value, String(value))));
    });
    wrap.appendChild(input);
    wrap.appendChild(document.createTextNode(" " + (label || "")));
    // update_radio names a radio or its group; either checks the radio of
    // that group whose value matches.
    var set = function (v) {
        var all = document.getElementsByName(input.name);
        for (var i = 0; i < all.length; ++i) all[i].checked = all[i].value === String(v);
    };
    kiv_register(id, {element: input, get: lua_get, set: set});
    if (group && !(group in kiv_controls)) kiv_register(String(group), {element: input, set: set});
    kiv_place(wrap, append_to, end_with_new_line, hint);
}

function add_button(id, label, width, height, lua_on_click, lua_get, hint, append_to, end_with_new_line,
                    lua_visibility, jscript_on_click, icon_image, margin) {
    var button = document.createElement("button");
    button.className = "kiv-button";
    button.id = id;
    button.textContent = label || "";
    kiv_size(button, width, height);
    if (margin !== "" && margin !== undefined) button.style.margin = kiv_number(margin, 2) + "px";
    if (icon_image) {
        var img = document.createElement("img");
        img.src = String(icon_image);
        button.insertBefore(img, button.firstChild);
    }
    button.addEventListener("click", function () {
        if (jscript_on_click) {
            try { (new Function(String(jscript_on_click)))(); } catch (e) { kiv_report_page_error(String(e)); }
        }
        kiv_queue_lua(kiv_fill(lua_on_click, id));
    });
    kiv_register(id, {element: button, get: lua_get, visibility: lua_visibility,
                      set: function (v) { button.textContent = v; }});
    kiv_place(button, append_to, end_with_new_line, hint);
}

function add_number(id, value, min, max, step, accept_float, lua_onchange, lua_get, hint, append_to,
                    end_with_new_line, width, height, wheel_undo_start, wheel_undo_end) {
    var input = document.createElement("input");
    input.type = "number";
    input.className = "kiv-number";
    input.id = id;
    if (min !== "" && min !== undefined) input.min = kiv_number(min, 0);
    if (max !== "" && max !== undefined) input.max = kiv_number(max, 0);
    var is_float = accept_float === true || accept_float === "true" || accept_float === 1;
    input.step = kiv_number(step, is_float ? 0.1 : 1);
    input.value = kiv_number(value, 0);
    kiv_size(input, width || 70, height);
    var send = function () {
        var n = Number(input.value);
        if (!isFinite(n)) return;
        if (!is_float) n = Math.round(n);
        kiv_queue_lua(kiv_fill(lua_onchange, id, n));
    };
    input.addEventListener("change", send);
    // A wheel turn is many small changes; the game keeps them as one undo step.
    var wheeling = null;
    input.addEventListener("wheel", function () {
        if (wheeling === null) kiv_queue_lua(kiv_fill(wheel_undo_start, id));
        else clearTimeout(wheeling);
        wheeling = setTimeout(function () {
            wheeling = null;
            kiv_queue_lua(kiv_fill(wheel_undo_end, id));
        }, 500);
    });
    kiv_register(id, {element: input, get: lua_get, set: function (v) {
        if (document.activeElement !== input) input.value = v;
    }});
    kiv_place(input, append_to, end_with_new_line, hint);
}

function add_stringbox(id, value, lua_onchange, lua_get, hint, append_to, end_with_new_line, width, height,
                       max_string_length) {
    var input = document.createElement("input");
    input.type = "text";
    input.className = "kiv-stringbox";
    input.id = id;
    input.value = value === undefined ? "" : String(value);
    if (Number(max_string_length) > 0) input.maxLength = Number(max_string_length);
    kiv_size(input, width, height);
    input.addEventListener("change", function () { kiv_queue_lua(kiv_fill(lua_onchange, id, input.value)); });
    kiv_register(id, {element: input, get: lua_get, set: function (v) {
        if (document.activeElement !== input) input.value = kiv_percent_decode(v);
    }});
    kiv_place(input, append_to, end_with_new_line, hint);
}

function add_color(id, label, width, height, lua_onchange, lua_get, hint, append_to, end_with_new_line,
                   lua_undo_start_series, lua_undo_end_series, edited_color_name) {
    var wrap = document.createElement("span");
    wrap.className = "kiv-color";
    var swatch = document.createElement("span");
    swatch.className = "kiv-swatch";
    swatch.id = id;
    kiv_size(swatch, width || 24, height || 16);
    var rgb = [255, 255, 255];
    swatch.style.background = "rgb(255,255,255)";
    // The picker window runs the change snippet itself with the picked
    // channels; the undo pair brackets the whole pick as one step.
    swatch.addEventListener("click", function () {
        var caption = edited_color_name || label || id;
        kiv_queue_lua("kiv:ColorPickStart(" + kiv_lua_quote(id) + ", ColorRGBA(" + rgb[0] + "," + rgb[1] + "," +
                      rgb[2] + ",255), " + kiv_lua_quote(kiv_percent_encode(kiv_fill(lua_onchange, id))) + ", " +
                      kiv_lua_quote(kiv_percent_encode(kiv_fill(lua_undo_start_series, id))) + ", " +
                      kiv_lua_quote(kiv_percent_encode(kiv_fill(lua_undo_end_series, id))) + ", " +
                      kiv_lua_quote(kiv_percent_encode(caption)) + ")");
    });
    wrap.appendChild(swatch);
    if (label) wrap.appendChild(document.createTextNode(" " + label));
    kiv_register(id, {element: swatch, get: lua_get, setColor: function (r, g, b) {
        rgb = [Number(r), Number(g), Number(b)];
        swatch.style.background = "rgb(" + rgb.join(",") + ")";
    }});
    kiv_place(wrap, append_to, end_with_new_line, hint);
}

function add_textbox(id, value, rows_count, box_width, lua_onchange, lua_get, hint, append_to,
                     end_with_new_line) {
    var area = document.createElement("textarea");
    area.className = "kiv-textbox";
    area.id = id;
    area.rows = kiv_number(rows_count, 3);
    area.value = value === undefined ? "" : String(value);
    kiv_size(area, box_width, "");
    area.addEventListener("change", function () { kiv_queue_lua(kiv_fill(lua_onchange, id, area.value)); });
    kiv_register(id, {element: area, get: lua_get, set: function (v) {
        if (document.activeElement !== area) area.value = kiv_percent_decode(v);
    }});
    kiv_place(area, append_to, end_with_new_line, hint);
}

function add_listbox(id, lines_cnt, box_width, box_height, lua_onselect, get_selected_option_script, lua_get,
                     hint, bg_color, append_to, end_with_new_line, lua_copy, lua_paste) {
    var select = document.createElement("select");
    select.className = "kiv-listbox";
    select.id = id;
    select.size = Math.max(2, kiv_number(lines_cnt, 6));
    kiv_size(select, box_width, box_height);
    if (bg_color) select.style.background = String(bg_color);
    select.addEventListener("change", function () {
        kiv_queue_lua(kiv_fill(lua_onselect, id, select.selectedIndex));
    });
    select.addEventListener("keydown", function (e) {
        if (!e.ctrlKey) return;
        if (e.key === "c" && lua_copy) kiv_queue_lua(kiv_fill(lua_copy, id, select.selectedIndex));
        if (e.key === "v" && lua_paste) kiv_queue_lua(kiv_fill(lua_paste, id, select.selectedIndex));
    });
    kiv_register(id, {element: select, get: lua_get, setList: function (items, selected) {
        var scroll = select.scrollTop;
        while (select.options.length > items.length) select.remove(select.options.length - 1);
        for (var i = 0; i < items.length; ++i) {
            var text = kiv_percent_decode(items[i]);
            if (i < select.options.length) {
                if (select.options[i].text !== text) select.options[i].text = text;
            } else {
                var option = document.createElement("option");
                option.text = text;
                select.add(option);
            }
        }
        select.selectedIndex = selected >= 0 && selected < items.length ? selected : -1;
        select.scrollTop = scroll;
    }});
    kiv_place(select, append_to, end_with_new_line, hint);
}

function add_texture(id, tex_fn, max_show_width, max_show_height, lua_get, hint, append_to, end_with_new_line,
                     border, hide_texture_label, lua_update_rect, lua_get_multitex_frags) {
    var wrap = document.createElement("span");
    wrap.className = "kiv-texture";
    var img = document.createElement("img");
    img.id = id;
    img.style.maxWidth = kiv_number(max_show_width, 128) + "px";
    img.style.maxHeight = kiv_number(max_show_height, 128) + "px";
    if (Number(border) > 0) img.style.border = Number(border) + "px solid #888";
    var caption = document.createElement("div");
    caption.className = "kiv-texture-name";
    if (hide_texture_label === true || hide_texture_label === "true") caption.style.display = "none";
    // Pictures live in the data root beside the editor's folder, written with
    // the game's backslashes.
    var show = function (file) {
        caption.textContent = file;
        img.src = file ? "../" + String(file).split("\\").join("/") : "";
        img.style.visibility = file ? "visible" : "hidden";
    };
    show(tex_fn ? String(tex_fn) : "");
    wrap.appendChild(img);
    wrap.appendChild(caption);
    kiv_register(id, {element: img, get: lua_get, setTexture: function (file) {
        show(kiv_percent_decode(file));
        if (lua_update_rect) kiv_queue_lua(kiv_fill(lua_update_rect, id));
    }});
    kiv_place(wrap, append_to, end_with_new_line, hint);
}

function add_luabox(id, value, box_width, box_height, lua_onchange, lua_get, hint, append_to, end_with_new_line,
                    read_only) {
    var area = document.createElement("textarea");
    area.className = "kiv-luabox";
    area.id = id;
    area.spellcheck = false;
    area.value = value === undefined ? "" : String(value);
    area.readOnly = read_only === true || read_only === "true";
    kiv_size(area, box_width || 230, box_height || 120);
    // Tab indents instead of leaving the box.
    area.addEventListener("keydown", function (e) {
        if (e.key !== "Tab" || area.readOnly) return;
        e.preventDefault();
        var s = area.selectionStart;
        area.value = area.value.substring(0, s) + "    " + area.value.substring(area.selectionEnd);
        area.selectionStart = area.selectionEnd = s + 4;
    });
    area.addEventListener("change", function () { kiv_queue_lua(kiv_fill(lua_onchange, id, area.value)); });
    kiv_register(id, {element: area, get: lua_get, set: function (v) {
        if (document.activeElement !== area) area.value = kiv_percent_decode(v);
    }});
    kiv_place(area, append_to, end_with_new_line, hint);
}

function add_table(id, table_width, table_height, margin, border, cell_padding, cell_spacing, bg_color, hint,
                   append_to, end_with_new_line) {
    var table = document.createElement("table");
    table.className = "kiv-table";
    table.id = id;
    kiv_size(table, table_width, table_height);
    if (margin !== "" && margin !== undefined) table.style.margin = kiv_number(margin, 0) + "px";
    if (Number(border) > 0) table.border = Number(border);
    if (cell_padding !== "" && cell_padding !== undefined) table.cellPadding = kiv_number(cell_padding, 0);
    if (cell_spacing !== "" && cell_spacing !== undefined) table.cellSpacing = kiv_number(cell_spacing, 0);
    if (bg_color) table.style.background = String(bg_color);
    var body = document.createElement("tbody");
    table.appendChild(body);
    kiv_register(id, {container: body, element: table});
    kiv_place(table, append_to, end_with_new_line, hint);
}

function add_table_tr(id, tr_height, v_align, bg_color, hint, append_to) {
    var row = document.createElement("tr");
    row.id = id;
    kiv_size(row, "", tr_height);
    if (v_align) row.style.verticalAlign = String(v_align);
    if (bg_color) row.style.background = String(bg_color);
    kiv_register(id, {container: row, element: row});
    kiv_place(row, append_to, false, hint);
}

function add_table_td(id, width, height, col_span, row_span, hint, border, bg_color, append_to) {
    var cell = document.createElement("td");
    cell.id = id;
    kiv_size(cell, width, height);
    if (Number(col_span) > 1) cell.colSpan = Number(col_span);
    if (Number(row_span) > 1) cell.rowSpan = Number(row_span);
    if (Number(border) > 0) cell.style.border = Number(border) + "px solid #888";
    if (bg_color) cell.style.background = String(bg_color);
    kiv_register(id, {container: cell, element: cell});
    kiv_place(cell, append_to, false, hint);
}

function add_new_line(id, append_to) {
    kiv_parent(append_to).appendChild(document.createElement("br"));
}

// Rebuilds the page from the builder's statements, each percent-encoded. A
// statement that fails is reported in the page and the rest still build.
function reload_edy_page(statements) {
    var root = kiv_root();
    while (root.firstChild) root.removeChild(root.firstChild);
    kiv_controls = {};
    kiv_control_order = [];
    var failed = [];
    for (var i = 0; i < statements.length; ++i) {
        var text = kiv_percent_decode(statements[i]);
        if (!text) continue;
        try {
            (new Function(text))();
        } catch (e) {
            failed.push((i + 1) + ": " + String(e));
        }
    }
    if (failed.length > 0) {
        var note = document.createElement("div");
        note.className = "kiv-page-error";
        note.textContent = "Page statements that failed: " + failed.join("; ");
        root.appendChild(note);
        kiv_report_page_error("statements that failed: " + failed.join("; "));
    }
    if (kiv_visible) kiv_refresh_all();
}

// ---- Game to page ------------------------------------------------------------------

function kiv_control(id) {
    return kiv_controls[id] || null;
}

// Every control knows how to show the value text the game sends it.
function kiv_set(id, value) { var c = kiv_control(id); if (c && c.set) c.set(value); }
var update_checkbox = kiv_set;
var update_radio = kiv_set;
var update_slider = kiv_set;
var update_number = kiv_set;
var update_button = kiv_set;
var update_label = kiv_set;
function update_textbox(id, text) {
    if (kiv_control(id)) {
        kiv_set(id, text);
        return;
    }
    var el = document.getElementById(id); // fixed boxes of the tool pages
    if (el) el.value = kiv_percent_decode(text);
}
function update_luabox(id, text) { update_textbox(id, text); }
function enable_button(id) { var c = kiv_control(id); if (c) c.element.style.display = ""; }
function disable_button(id) { var c = kiv_control(id); if (c) c.element.style.display = "none"; }
function update_texture(id, file, w, h) { var c = kiv_control(id); if (c && c.setTexture) c.setTexture(file, w, h); }
function update_listbox(id, items, selected) {
    var c = kiv_control(id);
    if (c && c.setList) c.setList(items || [], Number(selected));
}
function update_color(id, r, g, b) { var c = kiv_control(id); if (c && c.setColor) c.setColor(r, g, b); }

// The game refused a command that would lose the player's work (a robot's
// unsaved changes): a bar over the page asks, and only a click on its first
// button sends the command again in its forced form. Script dialogs are not
// answered in the game's page views, so the question is asked in the page.
function kiv_confirm_forced(question, snippet) {
    var old = document.getElementById("kiv_confirm");
    if (old) old.parentNode.removeChild(old);
    var bar = document.createElement("div");
    bar.id = "kiv_confirm";
    bar.className = "kiv-confirm";
    var text = document.createElement("span");
    text.textContent = question;
    bar.appendChild(text);
    var close = function () { if (bar.parentNode) bar.parentNode.removeChild(bar); };
    [["kiv_confirm_yes", "Discard", function () { close(); kiv_queue_lua(snippet); }],
     ["kiv_confirm_no", "Keep", close]].forEach(function (b) {
        var button = document.createElement("button");
        button.id = b[0];
        button.textContent = b[1];
        button.addEventListener("click", b[2]);
        bar.appendChild(button);
    });
    document.body.insertBefore(bar, document.body.firstChild);
}
