// Every mode page starts with these: the switch between edit modes and the tool windows
add_block("nav", "Edit what", "", "", "", "", 2);
add_button("nav0", "Scene", 56, "", "kiv:EdyRequestEditWhat(0)", "", "edit mode 0 (key 1)", "nav", false, "", "", "", "");
add_button("nav1", "Terrain", 56, "", "kiv:EdyRequestEditWhat(1)", "", "edit mode 1 (key 2)", "nav", false, "", "", "", "");
add_button("nav2", "Robot", 56, "", "kiv:EdyRequestEditWhat(2)", "", "edit mode 2 (key 3)", "nav", false, "", "", "", "");
add_button("nav3", "Object", 56, "", "kiv:EdyRequestEditWhat(3)", "", "edit mode 3 (key 4)", "nav", false, "", "", "", "");
add_button("nav4", "Joint", 56, "", "kiv:EdyRequestEditWhat(4)", "", "edit mode 4 (key 5)", "nav", false, "", "", "", "");
add_button("nav5", "Particles", 56, "", "kiv:EdyRequestEditWhat(5)", "", "edit mode 5 (key 6)", "nav", false, "", "", "", "");
add_button("nav6", "Light", 56, "", "kiv:EdyRequestEditWhat(6)", "", "edit mode 6 (key 7)", "nav", false, "", "", "", "");
add_button("nav7", "Layers", 56, "", "kiv:EdyRequestEditWhat(7)", "", "edit mode 7 (key 8)", "nav", false, "", "", "", "");
add_button("nav8", "Water", 56, "", "kiv:EdyRequestEditWhat(8)", "", "edit mode 8 (key 9)", "nav", false, "", "", "", "");
add_button("nav9", "Scenario", 56, "", "kiv:EdyRequestEditWhat(9)", "", "edit mode 9 (key 0)", "nav", false, "", "", "", "");
add_button("nav10", "Tests", 56, "", "kiv:EdyRequestEditWhat(10)", "", "edit mode 10 (key -)", "nav", false, "", "", "", "");
add_new_line("nav_br", "nav");
add_button("nav_robot_editor", "Robot editor", "", "", "kiv:ShowHideRobotEditor()", "", "F7", "nav", false, "", "", "", "");
add_button("nav_robot_lib", "Robots", "", "", "kiv:ShowHideRobotLibrary()", "", "F8", "nav", false, "", "", "", "");
add_button("nav_tex_lib", "Textures", "", "", "kiv:ShowHideTextureLibrary()", "", "F4", "nav", false, "", "", "", "");
add_button("nav_console", "Console", "", "", "kiv:ShowLuaConsole()", "", "the Lua console", "nav", true, "", "", "", "");
