#include "shadertool/parser/parser.h"
namespace ShaderTool { int Parse(ParseContext*) { return kParseSyntaxError; } }
