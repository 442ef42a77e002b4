// Water
add_block("wa", "Water", "", "", "", "", 0);
add_label("wa_h", "Hold Ctrl+Shift and point into a basin: the pool fills it from that point up to the level of the lowest rim.", "", "", "wa", true, "");
