#pragma once

// The two configuration databases.
extern const char kProgramXmlPath[];    // "res://prog.xml", required
extern const char kDeveloperXmlPath[];  // "res://developer.xml", optional
