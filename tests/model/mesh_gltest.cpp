// Mesh upload and draw checked against GL: buffer sizes and the attribute
// layout the shaders rely on, and which units and sampler values a draw
// leaves behind.
#include "model/mesh.h"
#include "support/gl_probes.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"
#include "support/uniform_readback.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using probes::boundTexture2D;
using probes::integerState;

constexpr GLint kUntouchedSampler = 7;

Vertex vertexAt(float x, float y)
{
    return {glm::vec3(x, y, 0.0f), glm::vec3(0.0f, 0.0f, 1.0f), glm::vec2(x, y),
            glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f)};
}

MeshTexture textureFor(GLuint name, const char* sampler)
{
    return MeshTexture{name, sampler, "t.png"};
}

class MeshGL : public testing::Test {
protected:
    void SetUp() override
    {
        testGLContext();
        program = probes::buildAllSamplersProgram(dir);
        glUseProgram(program.program);
    }
    void TearDown() override
    {
        glUseProgram(0);
        glActiveTexture(GL_TEXTURE0);
    }
    TempDir dir;
    ShaderProgram program;
};

TEST_F(MeshGL, BuffersHoldExactly56BytesPerVertexAnd4PerIndex)
{
    Mesh mesh({vertexAt(0, 0), vertexAt(1, 0), vertexAt(0, 1), vertexAt(1, 1)},
              {0, 1, 2, 2, 1, 3}, {});

    GLint vertexBytes = 0;
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &vertexBytes);
    GLint indexBytes = 0;
    glBindVertexArray(mesh.vertexArray);
    const GLint recordedElements = integerState(GL_ELEMENT_ARRAY_BUFFER_BINDING);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &indexBytes);
    glBindVertexArray(0);

    EXPECT_EQ(vertexBytes, 56 * 4);
    EXPECT_EQ(recordedElements, static_cast<GLint>(mesh.elementBuffer));
    EXPECT_EQ(indexBytes, 4 * 6);
}

TEST_F(MeshGL, AttributesPointAtTheVertexFieldsWithStride56)
{
    struct Expected {
        GLuint location;
        GLint components;
        std::uintptr_t offset;
    };
    const std::array<Expected, 5> expected = {{{0, 3, 0}, {1, 3, 12}, {2, 2, 24}, {3, 3, 32},
                                               {4, 3, 44}}};
    Mesh mesh({vertexAt(0, 0)}, {}, {});

    glBindVertexArray(mesh.vertexArray);
    for (const Expected& attribute : expected) {
        GLint enabled = 0, size = 0, type = 0, normalised = 1, stride = 0, buffer = 0;
        void* pointer = nullptr;
        glGetVertexAttribiv(attribute.location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        glGetVertexAttribiv(attribute.location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
        glGetVertexAttribiv(attribute.location, GL_VERTEX_ATTRIB_ARRAY_TYPE, &type);
        glGetVertexAttribiv(attribute.location, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &normalised);
        glGetVertexAttribiv(attribute.location, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &stride);
        glGetVertexAttribiv(attribute.location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
        glGetVertexAttribPointerv(attribute.location, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
        SCOPED_TRACE(attribute.location);
        EXPECT_EQ(enabled, GL_TRUE);
        EXPECT_EQ(size, attribute.components);
        EXPECT_EQ(type, GL_FLOAT);
        EXPECT_EQ(normalised, GL_FALSE);
        EXPECT_EQ(stride, 56);
        EXPECT_EQ(buffer, static_cast<GLint>(mesh.vertexBuffer));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pointer), attribute.offset);
    }
    glBindVertexArray(0);
}

TEST_F(MeshGL, MeshWithoutTexturesLeavesUnitsAndSamplersAlone)
{
    Mesh mesh({vertexAt(0, 0), vertexAt(1, 0), vertexAt(0, 1)}, {0, 1, 2}, {});
    glUniform1i(glGetUniformLocation(program.program, "material.diffuse"), kUntouchedSampler);
    glActiveTexture(GL_TEXTURE5);

    mesh.draw(program);

    EXPECT_EQ(integerState(GL_ACTIVE_TEXTURE), GL_TEXTURE5);
    EXPECT_EQ(uniformInt(program.program, "material.diffuse"), kUntouchedSampler);
    EXPECT_EQ(integerState(GL_VERTEX_ARRAY_BINDING), 0);
}

// Rendering proves each texture really sat on its sampler's unit during the
// draw: diffuse is red and normal green, so swapped units would lose a channel.
TEST_F(MeshGL, DiffuseAndNormalFeedTheirSamplersFromUnitsZeroAndOne)
{
    Mesh mesh = probes::screenCoveringMesh(
        {textureFor(probes::solidTexture(255, 0, 0), "material.diffuse"),
         textureFor(probes::solidTexture(0, 255, 0), "material.normal")});
    ShaderProgram picker = probes::buildProbeProgram(
        dir, "vec4(texture(material.diffuse, uv).r, texture(material.normal, uv).g, 0.0, 1.0)");

    EXPECT_EQ(probes::drawToPixel(mesh, picker), (std::array<unsigned char, 4>{255, 255, 0, 255}));

    glUseProgram(program.program);
    mesh.draw(program);
    EXPECT_EQ(uniformInt(program.program, "material.diffuse"), 0);
    EXPECT_EQ(uniformInt(program.program, "material.normal"), 1);
    EXPECT_EQ(integerState(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    EXPECT_EQ(boundTexture2D(GL_TEXTURE0), 0);
    EXPECT_EQ(boundTexture2D(GL_TEXTURE1), 0);
    EXPECT_EQ(integerState(GL_VERTEX_ARRAY_BINDING), 0);
}

TEST_F(MeshGL, SecondTextureOfOneTypeLeavesItsSamplerOnTheLastUnit)
{
    Mesh mesh({vertexAt(0, 0), vertexAt(1, 0), vertexAt(0, 1)}, {0, 1, 2},
              {textureFor(probes::solidTexture(1, 1, 1), "material.diffuse"),
               textureFor(probes::solidTexture(2, 2, 2), "material.diffuse")});

    mesh.draw(program);

    EXPECT_EQ(uniformInt(program.program, "material.diffuse"), 1);
    EXPECT_EQ(integerState(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
}

}  // namespace
