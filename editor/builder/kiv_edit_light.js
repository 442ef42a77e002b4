// Light
add_block("li", "Lights", "", "", "", "", 0);
add_label("li_h", "Lights are part of the scene's terrain objects: select an object in terrain mode and switch 'lighted' to let the scene's lights fall on it.", "", "", "li", true, "");
add_button("li_terrain", "Terrain mode", "", "", "kiv:EdyRequestEditWhat(1)", "", "", "li", true, "", "", "", "");
