// A file library page (textures, robots): the game sends its folders and
// files with <prefix>cleanup / add_dir / add_file / update_finish and marks
// the selected file with <prefix>select_<what>; a click asks the game to
// select a file by its percent-encoded name.
"use strict";

function kiv_library(prefix, list_id, on_pick) {
    var lib = {dirs: [], files: [], selected: ""};
    var list = function () { return document.getElementById(list_id); };

    window[prefix + "cleanup"] = function () {
        lib.dirs = [];
        lib.files = [];
    };
    window[prefix + "add_dir"] = function (name, shown, first, count) {
        lib.dirs.push({name: String(shown), first: Number(first), count: Number(count)});
    };
    window[prefix + "add_file"] = function (name, encoded, index) {
        lib.files[Number(index)] = {name: String(name), encoded: String(encoded)};
    };
    window[prefix + "update_finish"] = function () {
        var el = list();
        el.textContent = "";
        for (var d = 0; d < lib.dirs.length; ++d) {
            var dir = lib.dirs[d];
            var head = document.createElement("div");
            head.className = "kiv-dir";
            head.textContent = dir.name === "" ? "." : dir.name;
            el.appendChild(head);
            for (var j = dir.first; j < dir.first + dir.count; ++j) {
                var file = lib.files[j];
                if (!file) continue;
                var row = document.createElement("div");
                row.textContent = "    " + file.name;
                row.dataset.encoded = file.encoded;
                row.addEventListener("click", (function (f) {
                    return function () { on_pick(f); };
                })(file));
                el.appendChild(row);
            }
        }
        lib.mark(lib.selected);
    };
    lib.mark = function (encoded) {
        lib.selected = encoded;
        var rows = list().children;
        for (var i = 0; i < rows.length; ++i) {
            rows[i].classList.toggle("kiv-selected", rows[i].dataset.encoded === encoded);
        }
    };
    return lib;
}
