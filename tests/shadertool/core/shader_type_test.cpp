#include "shadertool/core/shader_type.h"

#include <gtest/gtest.h>

#include <string>

using namespace ShaderTool;

namespace {

std::string Name(const Type& type, bool shortForm = false)
{
    String name = type.GetName(shortForm);
    return name.text ? name.text : "<null>";
}

Type Named(Type type, const char* name)
{
    type.name.Assign(name);
    return type;
}

Type Struct(const char* name) { return Named(Type(kBaseStruct, 0), name); }

} // namespace

TEST(ShaderType, ValidityRejectsEveryForbiddenCombination)
{
    EXPECT_FALSE(Type().IsValid());
    EXPECT_TRUE(Type(kBaseFloat, 4, kQualifierConst, 8).IsValid());
    EXPECT_TRUE(Type::MakeMatrix(3, 0, 2).IsValid());
    EXPECT_TRUE(Type::MakeTexture(kTextureCube).IsValid());
    EXPECT_TRUE(Type::MakeNoOperand().IsValid());
    EXPECT_TRUE(Struct("_Input").IsValid());
    EXPECT_TRUE(Named(Type(kBaseFloat, 1), "").IsValid()) << "an empty name is no name";

    Type textureArray = Type::MakeTexture(kTexture2D), intMatrix = Type::MakeMatrix(2), dimensionedFloat(kBaseFloat, 1),
         none;
    textureArray.arraySize = 2;
    intMatrix.baseKind = kBaseInt;
    dimensionedFloat.textureDimension = kTexture3D;
    none.vectorSize = 1;
    EXPECT_FALSE(textureArray.IsValid()) << "arrays only of bool, float and int";
    EXPECT_FALSE(Type(kBaseStruct, 2).IsValid()) << "vectors of a structure";
    EXPECT_FALSE(Type(kBaseVoid, 2).IsValid());
    EXPECT_FALSE(intMatrix.IsValid());
    EXPECT_FALSE(dimensionedFloat.IsValid());
    EXPECT_FALSE(Named(Type(kBaseFloat, 1), "x").IsValid());
    EXPECT_FALSE(none.IsValid()) << "None is never valid";
}

TEST(ShaderType, LongAndShortNames)
{
    EXPECT_EQ(Name(Type::MakeMatrix(4)), "float4x4");
    EXPECT_EQ(Name(Type::MakeMatrix(3), true), "f3x3");
    EXPECT_EQ(Name(Type(kBaseInt, 3), true), "i3");
    EXPECT_EQ(Name(Type(kBaseInt, 1, 0, 4)), "int") << "no array size in a name";
    EXPECT_EQ(Name(Type::MakeTexture(kTextureCube)), "TextureCube");
    EXPECT_EQ(Name(Type::MakeTexture(kTextureCube), true), "tC");
    EXPECT_EQ(Name(Type::MakeTexture(7)), "") << "an unknown dimension has no name";
    EXPECT_EQ(Name(Struct("_Output"), true), "_Output");
    EXPECT_EQ(Name(Type(kBaseStruct, 0)), "") << "a structure without a name";
}

TEST(ShaderType, SameTypeIgnoresArraysQualifiersAndConstness)
{
    Type a(kBaseFloat, 3, kQualifierConst, 4), b(kBaseFloat, 3);
    b.isConstant = 1;
    EXPECT_TRUE(a.IsSameType(b));
    EXPECT_FALSE(a.IsSameType(Type(kBaseInt, 3)));
    EXPECT_FALSE(a.IsSameType(Type(kBaseFloat, 2)));
    EXPECT_FALSE(Type::MakeTexture(kTexture2D).IsSameType(Type::MakeTexture(kTexture3D)));
    EXPECT_TRUE(Struct("").IsSameType(Type(kBaseStruct, 0))) << "null and empty names are both empty";
    EXPECT_FALSE(Struct("_Input").IsSameType(Struct("_Output")));
    EXPECT_FALSE(Struct("_Input").IsSameType(Type(kBaseStruct, 0)));
    EXPECT_TRUE(Struct("_Input").IsSameType(Struct("_Input")));
}
