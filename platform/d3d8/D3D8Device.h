// IDirect3DDevice8 over OpenGL 3.3 core: Direct3D 8's fixed-function pipeline
// drawn into a frame buffer of exactly the back buffer's size, which Present
// shows scaled to the window (aspect kept) and hands to frame capture.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d8/FixedFunctionProgram.h"
#include "platform/d3d8/GlHeaders.h"
#include "platform/d3d8/GlLimits.h"
#include "platform/d3d8/StateBlock.h"
#include "platform/d3d8/TextureMemoryBudget.h"
#include "platform/d3d8/d3d8.h"
#include "platform/win32/ComObject.h"

class D3D8Object;
class D3D8Texture;
class D3D8Surface;
class D3D8VertexBuffer;
class D3D8IndexBuffer;

constexpr DWORD MAX_TEXTURE_STAGES = 8;
constexpr DWORD RENDER_STATE_COUNT = 256;
constexpr DWORD STAGE_STATE_COUNT = 32;
constexpr DWORD MAX_LIGHTS = 64;

class D3D8Device : public ComObject<IDirect3DDevice8> {
public:
    // Makes the window's GL context and frame buffer; on failure *device stays null.
    static HRESULT Create(D3D8Object* direct3D, HWND focusWindow, DWORD behaviorFlags,
                          D3DPRESENT_PARAMETERS& parameters, D3D8Device** device);

    HRESULT QueryInterface(REFIID riid, void** object) override;

    HRESULT TestCooperativeLevel() override;
    UINT GetAvailableTextureMem() override;
    HRESULT ResourceManagerDiscardBytes(DWORD Bytes) override;
    HRESULT GetDirect3D(IDirect3D8** ppD3D8) override;
    HRESULT GetDeviceCaps(D3DCAPS8* pCaps) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* pMode) override;
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) override;
    HRESULT SetCursorProperties(UINT XHotSpot, UINT YHotSpot, IDirect3DSurface8* pCursorBitmap) override;
    void SetCursorPosition(int X, int Y, DWORD Flags) override;
    BOOL ShowCursor(BOOL bShow) override;
    HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* pPresentationParameters,
                                      IDirect3DSwapChain8** pSwapChain) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) override;
    HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                    const RGNDATA* pDirtyRegion) override;
    HRESULT GetBackBuffer(UINT BackBuffer, D3DBACKBUFFER_TYPE Type, IDirect3DSurface8** ppBackBuffer) override;
    HRESULT GetRasterStatus(D3DRASTER_STATUS* pRasterStatus) override;
    void SetGammaRamp(DWORD Flags, const D3DGAMMARAMP* pRamp) override;
    void GetGammaRamp(D3DGAMMARAMP* pRamp) override;
    HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                          IDirect3DTexture8** ppTexture) override;
    HRESULT CreateVolumeTexture(UINT Width, UINT Height, UINT Depth, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                D3DPOOL Pool, IDirect3DVolumeTexture8** ppVolumeTexture) override;
    HRESULT CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DCubeTexture8** ppCubeTexture) override;
    HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                               IDirect3DVertexBuffer8** ppVertexBuffer) override;
    HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DIndexBuffer8** ppIndexBuffer) override;
    HRESULT CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                               BOOL Lockable, IDirect3DSurface8** ppSurface) override;
    HRESULT CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                      IDirect3DSurface8** ppSurface) override;
    HRESULT CreateImageSurface(UINT Width, UINT Height, D3DFORMAT Format, IDirect3DSurface8** ppSurface) override;
    HRESULT CopyRects(IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray, UINT cRects,
                      IDirect3DSurface8* pDestinationSurface, const POINT* pDestPointsArray) override;
    HRESULT UpdateTexture(IDirect3DBaseTexture8* pSourceTexture, IDirect3DBaseTexture8* pDestinationTexture) override;
    HRESULT GetFrontBuffer(IDirect3DSurface8* pDestSurface) override;
    HRESULT SetRenderTarget(IDirect3DSurface8* pRenderTarget, IDirect3DSurface8* pNewZStencil) override;
    HRESULT GetRenderTarget(IDirect3DSurface8** ppRenderTarget) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface8** ppZStencilSurface) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
    HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT SetViewport(const D3DVIEWPORT8* pViewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* pViewport) override;
    HRESULT SetMaterial(const D3DMATERIAL8* pMaterial) override;
    HRESULT GetMaterial(D3DMATERIAL8* pMaterial) override;
    HRESULT SetLight(DWORD Index, const D3DLIGHT8* pLight) override;
    HRESULT GetLight(DWORD Index, D3DLIGHT8* pLight) override;
    HRESULT LightEnable(DWORD Index, BOOL Enable) override;
    HRESULT GetLightEnable(DWORD Index, BOOL* pEnable) override;
    HRESULT SetClipPlane(DWORD Index, const float* pPlane) override;
    HRESULT GetClipPlane(DWORD Index, float* pPlane) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
    HRESULT BeginStateBlock() override;
    HRESULT EndStateBlock(DWORD* pToken) override;
    HRESULT ApplyStateBlock(DWORD Token) override;
    HRESULT CaptureStateBlock(DWORD Token) override;
    HRESULT DeleteStateBlock(DWORD Token) override;
    HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE Type, DWORD* pToken) override;
    HRESULT SetClipStatus(const D3DCLIPSTATUS8* pClipStatus) override;
    HRESULT GetClipStatus(D3DCLIPSTATUS8* pClipStatus) override;
    HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) override;
    HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) override;
    HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override;
    HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
    HRESULT ValidateDevice(DWORD* pNumPasses) override;
    HRESULT GetInfo(DWORD DevInfoID, void* pDevInfoStruct, DWORD DevInfoStructSize) override;
    HRESULT SetPaletteEntries(UINT PaletteNumber, const PALETTEENTRY* pEntries) override;
    HRESULT GetPaletteEntries(UINT PaletteNumber, PALETTEENTRY* pEntries) override;
    HRESULT SetCurrentTexturePalette(UINT PaletteNumber) override;
    HRESULT GetCurrentTexturePalette(UINT* PaletteNumber) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT minIndex, UINT NumVertices, UINT startIndex,
                                 UINT primCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount, const void* pVertexStreamZeroData,
                            UINT VertexStreamZeroStride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex, UINT NumVertexIndices,
                                   UINT PrimitiveCount, const void* pIndexData, D3DFORMAT IndexDataFormat,
                                   const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) override;
    HRESULT ProcessVertices(UINT SrcStartIndex, UINT DestIndex, UINT VertexCount,
                            IDirect3DVertexBuffer8* pDestBuffer, DWORD Flags) override;
    HRESULT CreateVertexShader(const DWORD* pDeclaration, const DWORD* pFunction, DWORD* pHandle,
                               DWORD Usage) override;
    HRESULT SetVertexShader(DWORD Handle) override;
    HRESULT GetVertexShader(DWORD* pHandle) override;
    HRESULT DeleteVertexShader(DWORD Handle) override;
    HRESULT SetVertexShaderConstant(DWORD Register, const void* pConstantData, DWORD ConstantCount) override;
    HRESULT GetVertexShaderConstant(DWORD Register, void* pConstantData, DWORD ConstantCount) override;
    HRESULT GetVertexShaderDeclaration(DWORD Handle, void* pData, DWORD* pSizeOfData) override;
    HRESULT GetVertexShaderFunction(DWORD Handle, void* pData, DWORD* pSizeOfData) override;
    HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData, UINT Stride) override;
    HRESULT GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8** ppStreamData, UINT* pStride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT BaseVertexIndex) override;
    HRESULT GetIndices(IDirect3DIndexBuffer8** ppIndexData, UINT* pBaseVertexIndex) override;
    HRESULT CreatePixelShader(const DWORD* pFunction, DWORD* pHandle) override;
    HRESULT SetPixelShader(DWORD Handle) override;
    HRESULT GetPixelShader(DWORD* pHandle) override;
    HRESULT DeletePixelShader(DWORD Handle) override;
    HRESULT SetPixelShaderConstant(DWORD Register, const void* pConstantData, DWORD ConstantCount) override;
    HRESULT GetPixelShaderConstant(DWORD Register, void* pConstantData, DWORD ConstantCount) override;
    HRESULT GetPixelShaderFunction(DWORD Handle, void* pData, DWORD* pSizeOfData) override;
    HRESULT DrawRectPatch(UINT Handle, const float* pNumSegs, const D3DRECTPATCH_INFO* pRectPatchInfo) override;
    HRESULT DrawTriPatch(UINT Handle, const float* pNumSegs, const D3DTRIPATCH_INFO* pTriPatchInfo) override;
    HRESULT DeletePatch(UINT Handle) override;

    // For the objects the device makes.
    void MakeCurrent();
    void TextureBindingChanged() { boundGlTexture_ = UINT32_MAX; }
    void ForgetGlTexture(GLuint texture);
    void ForgetVertexArray(GLuint vao);
    bool DecodesDxt() const { return decodeDxt_; }
    const GlLimits& Limits() const { return limits_; }
    // Textures whose levels can live in GL alone keep their bytes in memory
    // only while they are being worked on: the texture used last (locked,
    // copied into) stays so until another one is used, a texture or buffer is
    // made, a frame is presented or it is drawn with; then its changes go to
    // GL and its memory is given back.
    void TextureInUse(D3D8Texture* texture);
    void TextureGone(D3D8Texture* texture);
    void SettlePendingTexture();
    // Texture memory: textures are held to a budget (GetAvailableTextureMem
    // reports what is left of it); a texture's cost is taken when it is made
    // and given back when it is destroyed.
    bool ReserveTextureMemory(uint64_t bytes) { return textureMemory_.Reserve(bytes); }
    void ReturnTextureMemory(uint64_t bytes) { textureMemory_.Return(bytes); }
    // The back buffer in its Direct3D format's layout (top row first), and back.
    bool ReadBackBufferBgra(std::vector<uint8_t>& bits);
    void WriteBackBufferBgra(const std::vector<uint8_t>& bits);
    // The back buffer as 8-bit RGBA, top row first.
    void ReadBackBufferRgba(std::vector<uint8_t>& rgba);
    UINT BackBufferWidth() const { return parameters_.BackBufferWidth; }
    UINT BackBufferHeight() const { return parameters_.BackBufferHeight; }

private:
    D3D8Device(D3D8Object* direct3D, HWND window, DWORD behaviorFlags);
    ~D3D8Device() override;

    HRESULT OpenWindow(D3DPRESENT_PARAMETERS& parameters);
    bool CreateFrameBuffer();
    void DestroyFrameBuffer();
    void InitGlState();
    void ResetStates();
    void ApplyRenderState(D3DRENDERSTATETYPE state, DWORD value);
    void ApplyViewport();
    void ApplySampler();
    FixedFunctionKey CurrentKey(bool textureBound) const;
    bool SelectProgram(const FixedFunctionKey& key);
    void UploadTransforms();
    void UploadUniforms();
    HRESULT PrepareDraw(DWORD fvf);
    void BindVertexLayout(GLuint vao, bool configure, GLuint buffer, DWORD fvf, UINT stride, size_t base);
    bool ValidFvf(DWORD fvf) const;
    bool WindowTakenOver();
    void ReleaseBindings();
    // State blocks.
    void MaskStateBlock(StateBlock& block, D3DSTATEBLOCKTYPE type);
    void CaptureInto(StateBlock& block);
    void ApplyFrom(const StateBlock& block);
    void FreeStateBlock(StateBlock& block);
    StateBlock* FindStateBlock(DWORD token) const;
    static void Hold(D3D8Texture*& slot, D3D8Texture* texture);
    static void Hold(D3D8VertexBuffer*& slot, D3D8VertexBuffer* buffer);
    static void Hold(D3D8IndexBuffer*& slot, D3D8IndexBuffer* buffer);

    D3D8Object* direct3D_;
    HWND window_;
    SDL_Window* sdlWindow_ = nullptr;
    // A hidden window the context moves to when another device takes the
    // window over; the device can still be used and released, not shown.
    SDL_Window* spareWindow_ = nullptr;
    SDL_GLContext context_ = nullptr;
    D3DPRESENT_PARAMETERS parameters_{};
    D3DDEVICE_CREATION_PARAMETERS creation_{};
    D3DDISPLAYMODE displayMode_{};
    D3DCAPS8 caps_{};
    GlLimits limits_;
    bool decodeDxt_ = false;
    bool headless_ = false;
    TextureMemoryBudget textureMemory_;

    GLuint frameBuffer_ = 0, colourTexture_ = 0, depthBuffer_ = 0;
    GLuint sampler_ = 0, scratchVao_ = 0, userVertices_ = 0, userIndices_ = 0;
    // Programs built so far, one per state that shapes one; the one in use.
    std::vector<std::unique_ptr<FixedFunctionProgram>> programs_;
    FixedFunctionProgram* program_ = nullptr;
    D3D8Surface* backBuffer_ = nullptr;
    D3D8Surface* depthSurface_ = nullptr;

    std::array<DWORD, RENDER_STATE_COUNT> renderStates_{};
    std::array<std::array<DWORD, STAGE_STATE_COUNT>, MAX_TEXTURE_STAGES> stageStates_{};
    D3DMATRIX world_{}, view_{}, projection_{};
    std::array<D3DMATRIX, 8> textureTransforms_{};
    std::vector<D3DMATRIX> extraWorlds_;
    D3DVIEWPORT8 viewport_{};
    D3DMATERIAL8 material_{};
    std::vector<D3DLIGHT8> lights_;
    std::vector<bool> lightDefined_, lightEnabled_;
    std::array<std::array<float, 4>, D3DMAXUSERCLIPPLANES> clipPlanes_{};
    D3DCLIPSTATUS8 clipStatus_{};
    D3DGAMMARAMP gamma_{};
    std::vector<std::array<PALETTEENTRY, 256>> palettes_;
    UINT currentPalette_ = 0xFFFF;

    std::array<D3D8Texture*, MAX_TEXTURE_STAGES> textures_{};
    D3D8Texture* pendingTexture_ = nullptr;  // not held: the texture tells when it goes
    D3D8VertexBuffer* stream_ = nullptr;
    UINT streamStride_ = 0;
    D3D8IndexBuffer* indices_ = nullptr;
    UINT baseVertexIndex_ = 0;
    DWORD fvf_ = 0;
    bool inScene_ = false;
    std::vector<std::unique_ptr<StateBlock>> stateBlocks_;  // token = index + 1; null once deleted
    std::unique_ptr<StateBlock> recording_;                 // between BeginStateBlock and EndStateBlock

    bool transformsDirty_ = true, uniformsDirty_ = true, samplerDirty_ = true;
    GLuint boundGlTexture_ = UINT32_MAX;
    GLuint boundVao_ = UINT32_MAX;
};
