// The GL side of the command stream: one handler per opcode, each returning the payload bytes it read.
#include <GL/gl.h>
#include <cmath>
#include "render/RenderCommandBuffer.h"

namespace KIV {

namespace {

// Handlers ignore GL errors, but fetch them so one command's error is never read as another's.
inline void DropError()
{
    glGetError();
}

template <typename T>
T Read(const uint8_t* p)
{
    T value;
    std::memcpy(&value, p, sizeof(T));
    return value;
}

void SetFilters(GLint filter)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    DropError();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    DropError();
}

void SetColor(const uint8_t* rgba)
{
    glBegin(GL_TRIANGLES);
    glColor4ubv(rgba);
    glEnd();
    DropError();
    glDisableClientState(GL_COLOR_ARRAY);
    DropError();
}

void BeginWireframe()
{
    glEnable(GL_LINE_SMOOTH);
    DropError();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    DropError();
    glDisable(GL_TEXTURE_2D);
    DropError();
}

void EndWireframe()
{
    glEnable(GL_TEXTURE_2D);
    DropError();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    DropError();
    glDisable(GL_LINE_SMOOTH);
    DropError();
}

void PointArraysAt(const RenderMesh& mesh, int32_t baseVertex)
{
    glVertexPointer(2, GL_FLOAT, 0, mesh.mVertices.Data() + baseVertex);
    DropError();
    if (mesh.mColors.Count() > 0) {
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, mesh.mColors.Data() + baseVertex);
        DropError();
    }
    if (mesh.mTexCoords.Count() > 0) {
        glTexCoordPointer(2, GL_FLOAT, 0, mesh.mTexCoords.Data() + baseVertex);
        DropError();
    }
}

void SetVertexArrays(const RenderMesh& mesh)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    DropError();
    glVertexPointer(2, GL_FLOAT, 0, mesh.mVertices.Data());
    DropError();
    if (mesh.mColors.Count() > 0) {
        glEnableClientState(GL_COLOR_ARRAY);
        DropError();
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, mesh.mColors.Data());
        DropError();
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
        DropError();
    }
    glBegin(GL_TRIANGLES);
    glNormal3f(0.0f, 0.0f, -1.0f);
    if (mesh.mColors.Count() == 0) glColor4ubv(&mesh.mDrawState.mFillColor.mRed);
    glEnd();
    DropError();
    if (mesh.mTexCoords.Count() > 0) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        DropError();
        glTexCoordPointer(2, GL_FLOAT, 0, mesh.mTexCoords.Data());
        DropError();
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        DropError();
    }
    glDisableClientState(GL_INDEX_ARRAY);
    DropError();
    glDisableClientState(GL_EDGE_FLAG_ARRAY);
    DropError();
    glDisableClientState(GL_NORMAL_ARRAY);
    DropError();
}

// The arrays a draw reads must hold every vertex it can name, or the GL reads past them.
bool MeshArraysHold(const RenderMesh& mesh, int32_t vertexEnd)
{
    if (vertexEnd > mesh.mVertices.Count()) return false;
    if (mesh.mColors.Count() > 0 && vertexEnd > mesh.mColors.Count()) return false;
    if (mesh.mTexCoords.Count() > 0 && vertexEnd > mesh.mTexCoords.Count()) return false;
    return true;
}

void ExecuteDrawIndexed(const DrawIndexedPayload& p, const RenderPools& pools)
{
    const RenderMesh* mesh = pools.GetMesh(p.mMesh);
    if (!mesh || p.mIndexCount <= 0 || p.mFirstIndex < 0 || p.mBaseVertex < 0) return;
    const int32_t firstTriangle = p.mFirstIndex / 3;
    const int32_t triangles = (p.mIndexCount + 2) / 3;
    if (firstTriangle + triangles > mesh->mIndices.Count()) return;
    int32_t highest = 0;
    for (int32_t t = firstTriangle; t < firstTriangle + triangles; ++t) {
        const IndexTriangle& tri = mesh->mIndices[t];
        highest = std::max<int32_t>(highest, std::max<int32_t>(tri.mA, std::max<int32_t>(tri.mB, tri.mC)));
    }
    if (!MeshArraysHold(*mesh, p.mBaseVertex + highest + 1)) return;

    if (p.mBaseVertex != 0) PointArraysAt(*mesh, p.mBaseVertex);
    if (p.mWireframe) BeginWireframe();
    glDrawElements(RenderCommandBuffer::GetPrimitive(p.mKind), p.mIndexCount, GL_UNSIGNED_SHORT,
                   &mesh->mIndices[firstTriangle]);
    DropError();
    if (p.mWireframe) EndWireframe();
    if (p.mBaseVertex != 0) PointArraysAt(*mesh, 0);
}

void UploadTexture(TextureUpload* record)
{
    if (!record) return;
    record->mUploadPending = 0;
    const int32_t bpp = record->mBytesPerPixel;
    if ((bpp != 3 && bpp != 4) || record->mWidth <= 0 || record->mHeight <= 0 || record->mPixels.Count() == 0) return;
    if (int64_t(record->mPixels.Count()) < int64_t(record->mWidth) * record->mHeight * bpp) return;
    const GLenum format = bpp == 3 ? GL_RGB : GL_RGBA;
    glEnable(GL_TEXTURE_2D);
    DropError();
    if (record->mGLName != 0 &&
        (record->mWidth != record->mUploadedWidth || record->mHeight != record->mUploadedHeight ||
         bpp != record->mUploadedBytesPerPixel)) {
        GLuint name = record->mGLName;
        glDeleteTextures(1, &name);
        DropError();
        record->mGLName = 0;
    }
    if (record->mGLName == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        DropError();
        record->mGLName = name;
    }
    // Rows of 3-byte pixels are not 4-byte aligned.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    DropError();
    glBindTexture(GL_TEXTURE_2D, record->mGLName);
    DropError();
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), record->mWidth, record->mHeight, 0, format, GL_UNSIGNED_BYTE,
                 record->mPixels.Data());
    DropError();
    if (record->mGLName != 0) {
        record->mUploadedWidth = record->mWidth;
        record->mUploadedHeight = record->mHeight;
        record->mUploadedBytesPerPixel = bpp;
        SetFilters(GL_LINEAR);
        const GLint wrap = record->mRepeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        DropError();
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
        DropError();
    }
}

void ResetGLState()
{
    glEnable(GL_BLEND);
    DropError();
    glBlendFunc(771, 770);
    DropError();
    glDisable(GL_FOG);
    DropError();
    glDisable(GL_CULL_FACE);
    DropError();
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    DropError();
    glEnable(GL_COLOR_MATERIAL);
    DropError();
    glDisable(GL_LIGHTING);
    DropError();
    for (int i = 0; i < 8; ++i) {
        glDisable(GL_LIGHT0 + i);
        DropError();
    }
    glDepthFunc(GL_ALWAYS);
    DropError();
    glDisable(GL_DEPTH_TEST);
    DropError();
    glEnable(GL_ALPHA_TEST);
    DropError();
    glAlphaFunc(GL_GREATER, 0.0f);
    DropError();
    glDisable(GL_DITHER);
    DropError();
    glPointSize(2.0f);
    DropError();
    glEnable(GL_TEXTURE_2D);
    DropError();
    SetFilters(GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    DropError();
}

} // namespace

void RenderCommandBuffer::LoadCameraMatrix(float cx, float cy, float angle, float h)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    // World y grows down the screen; the eye looks along -z from height h.
    GLfloat m[16] = {};
    m[0] = c;
    m[1] = -s;
    m[4] = -s;
    m[5] = -c;
    m[10] = -1.0f;
    m[12] = -(cx * c - cy * s);
    m[13] = cx * s + cy * c;
    m[14] = h;
    m[15] = 1.0f;
    glMatrixMode(GL_MODELVIEW);
    DropError();
    glLoadMatrixf(m);
    DropError();
}

int32_t RenderCommandBuffer::ExecuteCommand(uint8_t opcode, const uint8_t* payload, const RenderPools& pools)
{
    switch (opcode) {
    case kOpResetState:
        ResetCaches();
        ResetGLState();
        break;
    case kOpCamera: {
        const CameraPayload p = Read<CameraPayload>(payload);
        mExecCenterX = (p.mLeft + p.mRight) * 0.5f;
        mExecCenterY = (p.mTop + p.mBottom) * 0.5f;
        mExecHalfHeight = (p.mBottom - p.mTop) * 0.5f;
        LoadCameraMatrix(mExecCenterX, mExecCenterY, p.mAngle, mExecHalfHeight);
        const float height = p.mBottom - p.mTop;
        const float aspect = height != 0.0f ? (p.mRight - p.mLeft) / height : 0.0f;
        if (height != 0.0f && aspect != 0.0f) {
            GLfloat proj[16] = {};
            proj[0] = 1.0f / aspect;
            proj[5] = 1.0f;
            proj[10] = 1.0f;
            proj[11] = 1.0f;
            proj[14] = -1.0f;
            proj[15] = 1.0f;
            glMatrixMode(GL_PROJECTION);
            DropError();
            glLoadMatrixf(proj);
            DropError();
        }
        break;
    }
    case kOpRotatedDraw: {
        const RotatedDrawPayload p = Read<RotatedDrawPayload>(payload);
        float ex = mExecCenterX;
        float ey = mExecCenterY;
        if (p.mPivotX != 0.0f || p.mPivotY != 0.0f) {
            const float dx = mExecCenterX + p.mOffsetX - p.mPivotX;
            const float dy = mExecCenterY + p.mOffsetY - p.mPivotY;
            const float c = std::cos(p.mAngle);
            const float s = std::sin(p.mAngle);
            ex = p.mPivotX + (dx * c + dy * s);
            ey = p.mPivotY + (dy * c - dx * s);
        }
        LoadCameraMatrix(ex, ey, p.mAngle, mExecHalfHeight);
        break;
    }
    case kOpBindTextureName: {
        glBindTexture(GL_TEXTURE_2D, Read<uint32_t>(payload));
        DropError();
        SetFilters(mTextureMapping == 0 ? GL_NEAREST : GL_LINEAR);
        break;
    }
    case kOpBindTexture: {
        const BindTexturePayload p = Read<BindTexturePayload>(payload);
        const TextureUpload* record = pools.GetTexture(p.mUpload);
        if (!record) break;
        glBindTexture(GL_TEXTURE_2D, record->mGLName);
        DropError();
        const int32_t mapping = (p.mMapping >= 1 && p.mMapping <= 3) ? p.mMapping : mTextureMapping;
        if (mapping == 1) SetFilters(GL_NEAREST);
        else if (mapping == 2 || mapping == 3) SetFilters(GL_LINEAR);
        break;
    }
    case kOpAlphaTest:
        if (Read<int32_t>(payload) < 0) {
            glDisable(GL_ALPHA_TEST);
            DropError();
        } else {
            glEnable(GL_ALPHA_TEST);
            DropError();
            glAlphaFunc(GL_GREATER, 0.0f);
            DropError();
        }
        break;
    case kOpColor:
    case kOpColorWash:
        SetColor(payload);
        break;
    case kOpFog: {
        if (payload[0] == 0 && payload[1] == 0 && payload[2] == 0 && payload[3] == 0) {
            glDisable(GL_FOG);
            DropError();
            break;
        }
        glEnable(GL_FOG);
        DropError();
        const GLfloat colour[4] = {payload[0] / 255.0f, payload[1] / 255.0f, payload[2] / 255.0f, payload[3] / 255.0f};
        glFogfv(GL_FOG_COLOR, colour);
        DropError();
        glFogi(GL_FOG_MODE, GL_LINEAR);
        DropError();
        // The eye sits half a view height above the picture: fog begins the alpha's distance
        // before the picture plane and is full 255 units further.
        const float start = mExecHalfHeight - float(payload[3]);
        glFogf(GL_FOG_START, start);
        DropError();
        glFogf(GL_FOG_END, start + 255.0f);
        DropError();
        break;
    }
    case kOpBlend: {
        const BlendPayload p = Read<BlendPayload>(payload);
        glBlendFunc(p.mSource, p.mDestination);
        DropError();
        break;
    }
    case kOpScissor: {
        const ScissorPayload p = Read<ScissorPayload>(payload);
        if (p.mX == 0 && p.mY == 0 && p.mWidth == 0 && p.mHeight == 0) {
            glDisable(GL_SCISSOR_TEST);
            DropError();
        } else {
            glEnable(GL_SCISSOR_TEST);
            DropError();
            glScissor(p.mX, p.mY, p.mWidth, p.mHeight);
            DropError();
        }
        break;
    }
    case kOpTexEnv:
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GLint(Read<uint32_t>(payload)));
        DropError();
        break;
    case kOpLighting:
        if (payload[0]) glEnable(GL_LIGHTING);
        else glDisable(GL_LIGHTING);
        DropError();
        break;
    case kOpLightEnable: {
        const LightEnablePayload p = Read<LightEnablePayload>(payload);
        if (p.mSlot < 0 || p.mSlot >= 8) break;
        if (p.mOn) glEnable(GL_LIGHT0 + p.mSlot);
        else glDisable(GL_LIGHT0 + p.mSlot);
        DropError();
        break;
    }
    case kOpLightSetup: {
        LightSetupPayload p = Read<LightSetupPayload>(payload);
        if (p.mSlot < 0 || p.mSlot >= 8) break;
        const GLenum light = GL_LIGHT0 + p.mSlot;
        p.mDiffuse[3] = 1.0f;
        glLightfv(light, GL_POSITION, p.mPosition);
        DropError();
        glLightfv(light, GL_DIFFUSE, p.mDiffuse);
        DropError();
        const GLfloat direction[4] = {0.0f, 0.0f, 1.0f, 0.0f};
        glLightfv(light, GL_SPOT_DIRECTION, direction);
        DropError();
        glLightf(light, GL_SPOT_CUTOFF, 20.0f);
        DropError();
        glLightf(light, GL_SPOT_EXPONENT, 120.0f);
        DropError();
        break;
    }
    case kOpUploadTexture:
        UploadTexture(pools.GetTexture(Read<uint32_t>(payload)));
        break;
    case kOpVertexArrays: {
        const RenderMesh* mesh = pools.GetMesh(Read<uint32_t>(payload));
        if (mesh) SetVertexArrays(*mesh);
        mExecMesh = mesh;
        break;
    }
    case kOpDrawIndexed:
        ExecuteDrawIndexed(Read<DrawIndexedPayload>(payload), pools);
        break;
    case kOpDrawArrays: {
        const DrawArraysPayload p = Read<DrawArraysPayload>(payload);
        if (!mExecMesh || p.mFirst < 0 || p.mCount <= 0 || !MeshArraysHold(*mExecMesh, p.mFirst + p.mCount)) break;
        glDrawArrays(GetPrimitive(p.mKind), p.mFirst, p.mCount);
        DropError();
        break;
    }
    case kOpDrawWireframe: {
        const DrawWireframePayload p = Read<DrawWireframePayload>(payload);
        if (!mExecMesh || p.mFirst < 0 || p.mCount <= 0 || !MeshArraysHold(*mExecMesh, p.mFirst + p.mCount)) break;
        BeginWireframe();
        glDrawArrays(GetPrimitive(p.mKind), p.mFirst, p.mCount);
        DropError();
        EndWireframe();
        break;
    }
    default:
        break;
    }
    return kOpPayloadSize[opcode];
}

} // namespace KIV
