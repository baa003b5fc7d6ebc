#include "engine/config/config_files.h"

const char kProgramXmlPath[] = "res://prog.xml";
const char kDeveloperXmlPath[] = "res://developer.xml";
