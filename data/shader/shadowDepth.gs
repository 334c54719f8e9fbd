#version 330 core
// Shadow pass, geometry stage: every triangle is emitted six times, once
// into each layer of the cube map with that face's view-projection, so one
// draw per caster fills all six faces.
layout(triangles) in;
layout(triangle_strip, max_vertices = 18) out;

uniform mat4 shadowTransforms[6];

out vec4 worldPosition;

void main()
{
    for (int face = 0; face < 6; ++face) {
        for (int corner = 0; corner < 3; ++corner) {
            // Every output, gl_Layer among them, is undefined after
            // EmitVertex, so the layer is set again for each corner.
            gl_Layer = face;
            worldPosition = gl_in[corner].gl_Position;
            gl_Position = shadowTransforms[face] * worldPosition;
            EmitVertex();
        }
        EndPrimitive();
    }
}
