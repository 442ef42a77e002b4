
// Appended by the pages' end-to-end test to its copy of the pages' shared
// script: every page reports where the elements the test clicks are, in page
// pixels of the part shown, whenever that changes. The game writes a page's
// dialogs to its stderr, one line each, where the test reads the last report
// of each page. Elements laid out to nothing (hidden, or not built yet) are
// left out, so a report holding an element means it can be clicked.
(function () {
    var wanted = KIV_E2E_WANTED;
    var last = "";
    function report() {
        var rects = {};
        for (var i = 0; i < wanted.length; ++i) {
            var el = document.querySelector(wanted[i]);
            if (!el) continue;
            var r = el.getBoundingClientRect();
            if (r.width <= 0 || r.height <= 0) continue;
            rects[wanted[i]] = [Math.round(r.left), Math.round(r.top), Math.round(r.width), Math.round(r.height)];
        }
        var page = location.pathname.substring(location.pathname.lastIndexOf("/") + 1);
        var text = JSON.stringify({page: page, rects: rects,
                                   view: [window.innerWidth, window.innerHeight]});
        if (text !== last) {
            last = text;
            alert("kiv-e2e-rects " + text);
        }
    }
    setInterval(report, 200);
})();
